#include "undocommands.h"

DocumentCommand::DocumentCommand(const QString &text, CollageDocument before, CollageDocument after,
                                 Apply apply, int mergeId)
    : QUndoCommand(text)
    , before(std::move(before))
    , after(std::move(after))
    , apply(std::move(apply))
    , mergeId(mergeId)
{
}

void DocumentCommand::undo()
{
    apply(before);
}

void DocumentCommand::redo()
{
    if (!first)
        apply(after);
    first = false;
}

bool DocumentCommand::mergeWith(const QUndoCommand *other)
{
    if (other->id() != id() || id() == -1)
        return false;
    after = static_cast<const DocumentCommand *>(other)->after;
    return true;
}

#ifndef UNDOCOMMANDS_H
#define UNDOCOMMANDS_H

#include "collagedocument.h"

#include <QUndoCommand>

#include <functional>

// One step of the collage's history: the whole document before and after it. Documents hold
// no decoded images, so a step costs a few kilobytes. The step is pushed once the window
// already shows its result, so its first redo() does nothing.
class DocumentCommand : public QUndoCommand
{
public:
    using Apply = std::function<void(const CollageDocument &)>;

    // Steps with the same merge id follow each other as one (a run of frame changes);
    // -1 never merges.
    DocumentCommand(const QString &text, CollageDocument before, CollageDocument after, Apply apply,
                    int mergeId = -1);

    void undo() override;
    void redo() override;
    int id() const override { return mergeId; }
    bool mergeWith(const QUndoCommand *other) override;

    const CollageDocument &result() const { return after; }
    // What the step came to once it was drawn: photos that failed to decode left it.
    void amend(const CollageDocument &drawn) { after = drawn; }
    // Both sides as `learn` completes them with facts found since, never a change of its own.
    void learn(const std::function<CollageDocument(CollageDocument)> &learn)
    {
        before = learn(std::move(before));
        after = learn(std::move(after));
    }

private:
    CollageDocument before;
    CollageDocument after;
    Apply apply;
    int mergeId;
    bool first = true; // the window already shows `after` when the step is pushed
};

#endif // UNDOCOMMANDS_H

#include "collagesession.h"

#include "collagelimits.h"
#include "collagerender.h"
#include "layoutrun.h"
#include "papersize.h"
#include "photoadding.h"
#include "photoscan.h"
#include "projectfile.h"
#include "undocommands.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QUndoStack>
#include <QtConcurrent>

// The session's trace, silent unless QT_LOGGING_RULES enables vellomir.*.
Q_LOGGING_CATEGORY(lcSession, "vellomir.session", QtWarningMsg)

namespace {

// Frame changes in a row are one step of the history.
const int frameMergeId = 1;

} // namespace

CollageSession::CollageSession(QObject *parent)
    : QObject(parent)
    , history(new QUndoStack(this))
    , seedSource(secondsSinceMidnight)
    , recovery(std::make_unique<RecoveryFile>(RecoveryFile::defaultFolder()))
{
    savePool.setMaxThreadCount(1);
    analysisPool.setMaxThreadCount(QThread::idealThreadCount() + 1);
    analysisPool.setThreadPriority(QThread::IdlePriority);
    history->setUndoLimit(limits::maxUndoSteps);
    connect(history, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean); });
    // Well within two seconds of a change, and a burst of them is written once.
    recoveryTimer.setSingleShot(true);
    recoveryTimer.setInterval(500);
    connect(&recoveryTimer, &QTimer::timeout, this, &CollageSession::writeRecovery);
    connect(history, &QUndoStack::indexChanged, this, [this] {
        if (!recoveryTimer.isActive())
            recoveryTimer.start();
    });
    connect(&autoThread, &AutoThread::progressPicture, this,
            [this](quint64 request, const QImage &picture) {
                if (layingOut && layingOut->request == request)
                    emit progressPicture(picture);
            });
    connect(&autoThread, &AutoThread::progressValue, this, [this](quint64 request, int value) {
        if (layingOut && layingOut->request == request)
            emit progressChanged(value);
    });
    connect(&autoThread, &AutoThread::layoutReady, this, &CollageSession::layoutReady);
    connect(&renderThread, &RenderThread::progressValue, this, [this](quint64 request, int value) {
        if (rendering && rendering->request == request && current == State::Rendering)
            emit progressChanged(value);
    });
    connect(&renderThread, &RenderThread::renderFinished, this, &CollageSession::renderFinished);
    connect(&saveWatcher, &QFutureWatcher<SaveOutcome>::finished, this, &CollageSession::saveEnded);
    connect(&refitWatcher, &QFutureWatcher<CollageDocument>::finished, this,
            &CollageSession::refitReady);
    connect(&analysis, &QFutureWatcher<QList<PhotoContent>>::finished, this,
            &CollageSession::analysisEnded);
    // Boxes move tiles a few times a second while photos are analysed, not at every photo.
    arrivalTimer.setSingleShot(true);
    arrivalTimer.setInterval(250);
    connect(&arrivalTimer, &QTimer::timeout, this,
            [this] { learnContents(std::exchange(arrived, {})); });
}

// The workers read only copies, but the save job reports to this object: stop listening,
// then wait for it. The workers join in their own destructors.
CollageSession::~CollageSession()
{
    history->disconnect(this);
    autoThread.disconnect(this);
    renderThread.disconnect(this);
    saveWatcher.disconnect(this);
    saveWatcher.waitForFinished();
    refitWatcher.disconnect(this);
    refitWatcher.waitForFinished();
    analysis.disconnect(this);
    *stopAnalysis = true;
    analysis.waitForFinished();
    analysisPool.waitForDone();
    if (adding) {
        adding->disconnect(this);
        adding->waitForFinished();
    }
    savePool.waitForDone();
    // A session that ends without a crash leaves nothing to recover.
    recoveryTimer.stop();
    recovery->remove();
}

void CollageSession::setRecoveryFolder(const QString &folder)
{
    recovery->remove();
    recovery = std::make_unique<RecoveryFile>(folder);
}

void CollageSession::writeRecovery()
{
    if (isModified())
        recovery->write(doc, projectFile);
    else
        recovery->remove();
}

QString CollageSession::flushRecovery()
{
    if (recoveryTimer.isActive()) {
        recoveryTimer.stop();
        writeRecovery();
    }
    recovery->flush();
    return recovery->fileName();
}

void CollageSession::setProjectPath(const QString &path)
{
    if (path == projectFile)
        return;
    projectFile = path;
    emit projectPathChanged(projectFile);
}

bool CollageSession::isModified() const
{
    return !history->isClean();
}

void CollageSession::setSeedSource(std::function<unsigned()> source)
{
    seedSource = std::move(source);
}

void CollageSession::setStartingChoices(const QColor &background, const FrameSettings &frame,
                                        const QSize &requested, int dpi, CropMode crop)
{
    CollageDocument next = doc;
    next.crop = crop;
    next.dpi = std::clamp(dpi, minDpi, maxDpi);
    if (background.isValid())
        next.background = background;
    next.frame = frame;
    if (!requested.isEmpty()) {
        next.requestedSize = requested;
        next.canvasSize = workingCanvasSize(requested);
    }
    applyDocument(next);
}

void CollageSession::setState(State next)
{
    if (next == current)
        return;
    // A layout or the photos added change what is drawn, and draw it when they end.
    if ((next == State::Adding || next == State::LayingOut) && rendering
        && rendering->drawing == Drawing::Quiet) {
        rendering.reset();
        drawOwed = true;
    }
    current = next;
    emit stateChanged(current);
}

// --- adding photos -------------------------------------------------------------

// Reads what was offered, off the GUI thread: a folder with many photos, or a file that is
// slow to read, never stops the window.
CollageSession::Offered CollageSession::readOffered(QList<PhotoRecord> held,
                                                    const QStringList &paths)
{
    // Folders are taken as they come, the single files after them.
    QStringList fromFolders;
    QStringList files;
    Offered result;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists())
            continue;
        if (info.isDir()) {
            const FolderScan scan = scanFolder(info.absoluteFilePath());
            if (scan.files.isEmpty() && scan.skipped.isEmpty())
                result.notAdded.append({path, tr("the folder holds no photos")});
            fromFolders << scan.files;
            result.notAdded << scan.skipped << scan.otherFormats;
        } else {
            files << info.absoluteFilePath();
        }
    }
    result.additions = addPhotos(std::move(held), fromFolders + files, maxCollagePhotos);
    int full = 0;
    for (const NotAdded &file : std::as_const(result.additions.notAdded)) {
        switch (file.why) {
        case NotAddedWhy::AlreadyAdded:
            result.notAdded.append({file.path, tr("already in the collage")});
            break;
        case NotAddedWhy::CollageFull:
            ++full;
            break;
        case NotAddedWhy::Unreadable:
            // A picture of another format is named as such, whatever its reader said.
            result.notAdded.append(
                {file.path, hasOtherImageSuffix(file.path) ? notPhotoFormatReason()
                            : file.reason.isEmpty()        ? tr("not a photo Vellomir can use")
                                                           : file.reason});
            break;
        }
    }
    // One line for them all, however many there were.
    if (full > 0)
        result.notAdded.append(
            {QString(), (full == 1 ? tr("One photo was not added: the collage holds at most %1")
                                   : tr("%n photos were not added: the collage holds at most %1",
                                        nullptr, full))
                            .arg(maxCollagePhotos)});
    return result;
}

void CollageSession::addPaths(const QStringList &paths)
{
    if (busy() || paths.isEmpty())
        return;
    setState(State::Adding);
    const CollageDocument before = doc;
    auto *watcher = new QFutureWatcher<Offered>(this);
    adding = watcher;
    connect(watcher, &QFutureWatcher<Offered>::finished, this, [this, watcher, before] {
        adding = nullptr;
        watcher->deleteLater();
        const Offered result = watcher->result();
        if (result.additions.added == 0) {
            setState(State::Idle);
            // Boxes that arrived meanwhile are drawn now.
            if (drawOwed)
                drawPhotos(Drawing::Quiet);
        } else {
            // Straight on to the layout: the window never sees an idle moment in between.
            current = State::Idle;
            doc.photos = result.additions.photos;
            doc = withKnownContent(doc);
            beginLayout(tr("Add Photos"), withKnownContent(before));
            emit documentChanged();
            analysePhotos();
        }
        if (!result.notAdded.isEmpty())
            emit photosNotAdded(result.notAdded);
    });
    watcher->setFuture(QtConcurrent::run(&CollageSession::readOffered, doc.photos, paths));
}

// --- the collage cycle ---------------------------------------------------------

void CollageSession::shuffle()
{
    if (busy() || doc.photos.isEmpty())
        return;
    beginLayout(tr("Shuffle"), doc);
}

// Starts a layout of all photos; the step it ends goes back to `before`.
void CollageSession::beginLayout(const QString &stepName, const CollageDocument &before)
{
    if (busy() || doc.photos.isEmpty())
        return;
    // Taken before the seed changes: a shuffle's `before` is the document itself.
    CollageDocument start = before;
    doc.seed = seedSource();
    const quint64 request = autoThread.startLayout(layoutSizes(doc.photos), doc.canvasSize,
                                                   doc.seed, layoutEmphases(doc.photos));
    if (request == 0)
        return;
    layingOut = PendingLayout {request, stepName, std::move(start)};
    setState(State::LayingOut);
}

void CollageSession::layoutReady(quint64 request, const LayoutTree &layout)
{
    if (!layingOut || layingOut->request != request)
        return;
    qCDebug(lcSession) << "layout ready";
    // Appearance changes made while the layout ran are steps of their own.
    PendingLayout finished = *std::exchange(layingOut, std::nullopt);
    finished.before.background = doc.background;
    finished.before.frame = doc.frame;
    finished.before.crop = doc.crop;
    doc.layout = layout;
    setState(State::Idle);
    pushStep(finished.stepName, finished.before);
    emit layoutChanged();
    emit documentChanged();
    emit layoutFinished();
    drawPhotos();
}

void CollageSession::drawPhotos(Drawing drawing)
{
    // A layout's tree is half built while it runs; its end draws, as does that of the photos
    // being added. Boxes that arrive let a drawing under way finish, or they would keep a slow
    // one from ever showing: the tiles they move are drawn after it.
    if (current == State::LayingOut
        || (drawing == Drawing::Quiet && (current == State::Adding || rendering))) {
        drawOwed = true;
        return;
    }
    if (!doc.hasLayout()) {
        rendering.reset();
        drawOwed = false;
        if (current == State::Rendering)
            setState(State::Idle);
        emit photoLayerReady(QImage());
        return;
    }
    // The layer is drawn for the screen's pixels; the layout stays in canvas pixels.
    const quint64 request = renderThread.startRender(doc, images, doc.canvasSize * ratio);
    if (request == 0)
        return;
    drawOwed = false;
    latestRequest = request;
    rendering = PendingRender {request, ratio, drawing};
    if (current == State::Idle && drawing == Drawing::Busy)
        setState(State::Rendering);
}

// Empties the cache of decodes; those of drawings already started do not come back into it.
void CollageSession::clearDecodes()
{
    images.clear();
    clearedAt = latestRequest;
}

void CollageSession::renderFinished(quint64 request, const RenderedLayer &result)
{
    // Decodes of a superseded render are as good as any: the same file at the same size; but
    // not those of a render started before the cache was cleared.
    if (request > clearedAt)
        images.merge(result.decodes);
    if (!rendering || rendering->request != request)
        return;
    const qreal drawnRatio = std::exchange(rendering, std::nullopt)->ratio;
    const DocumentRender &render = result.render;
    if (!render.dropped.isEmpty()) {
        // The photos that failed to decode leave the collage for good; the step that showed
        // them comes to the collage as drawn, so undo and redo never bring a hole back.
        const CollageDocument shown = doc;
        doc.photos = render.document.photos;
        doc.layout = render.document.layout;
        if (auto *step
            = dynamic_cast<const DocumentCommand *>(history->command(history->index() - 1));
            step && step->result() == shown)
            const_cast<DocumentCommand *>(step)->amend(doc);
        emit layoutChanged();
        emit documentChanged();
        QList<PhotoProblem> problems;
        for (const PhotoProblem &problem : render.dropped)
            problems.append({problem.path, tr("cannot decode (%1)").arg(problem.reason)});
        emit photosLeftOut(problems);
    }
    QList<PhotoProblem> damaged;
    for (const PhotoProblem &problem : render.damaged) {
        if (!namedDamaged.contains(problem.path)) {
            namedDamaged.insert(problem.path);
            damaged.append(problem);
        }
    }
    if (!damaged.isEmpty())
        emit photosDamaged(damaged);
    QImage layer = render.image;
    layer.setDevicePixelRatio(drawnRatio);
    if (current == State::Rendering)
        setState(State::Idle);
    emit photoLayerReady(layer);
    // A move to a screen of another ratio while this was drawn asks for it again, as do boxes
    // that arrived meanwhile.
    if (drawnRatio != ratio)
        drawPhotos();
    else if (drawOwed)
        drawPhotos(Drawing::Quiet);
}

void CollageSession::setDeviceRatio(qreal next)
{
    if (next <= 0 || next == ratio)
        return;
    ratio = next;
    if (doc.hasLayout())
        drawPhotos();
}

// --- the document and its history ----------------------------------------------

void CollageSession::undo()
{
    if (!busy())
        history->undo();
}

void CollageSession::redo()
{
    if (!busy())
        history->redo();
}

void CollageSession::pushStep(const QString &text, const CollageDocument &before, int mergeId)
{
    history->push(new DocumentCommand(
        text, before, doc, [this](const CollageDocument &next) { applyDocument(next); }, mergeId));
}

void CollageSession::changeDocument(const QString &text, const CollageDocument &next, int mergeId)
{
    const CollageDocument before = doc;
    applyDocument(next);
    pushStep(text, before, mergeId);
}

// A refit of many photos takes longer than a frame of the window: it runs on the global pool,
// and the collage is laying out until it ends. The refit reads only its own copy.
void CollageSession::refitDocument(const QString &text, CollageDocument next)
{
    if (!next.hasLayout())
        return changeDocument(text, next);
    refitStep = text;
    setState(State::LayingOut);
    const QSize canvas = next.canvasSize;
    refitWatcher.setFuture(QtConcurrent::run(&refittedTo, std::move(next), canvas, seedSource()));
}

void CollageSession::refitReady()
{
    if (refitWatcher.isCanceled() || current != State::LayingOut || layingOut)
        return;
    qCDebug(lcSession) << "refit ready";
    CollageDocument next = refitWatcher.result();
    // Appearance changes made while the refit ran were steps of their own and stay.
    next.background = doc.background;
    next.frame = doc.frame;
    // Boxes found while it ran go in too.
    next.crop = doc.crop;
    next = withKnownContent(std::move(next));
    setState(State::Idle);
    changeDocument(refitStep, next);
}

// Shows `next` as it is, without a new layout: the tree is in the document and the photos
// come from the cache.
void CollageSession::applyDocument(const CollageDocument &next)
{
    const CollageDocument previous = std::exchange(doc, next);
    const bool moved = previous.photos != doc.photos || previous.layout != doc.layout
                       || previous.canvasSize != doc.canvasSize;
    if (moved)
        emit layoutChanged();
    emit documentChanged();
    if (moved || previous.frame != doc.frame || previous.crop != doc.crop)
        drawPhotos();
}

// --- what the photos show ------------------------------------------------------

// What was found for the photos without a box, as long as their files are as they were.
CollageDocument CollageSession::withKnownContent(CollageDocument document) const
{
    QHash<QString, ContentBox> current;
    for (const PhotoRecord &photo : std::as_const(document.photos)) {
        const auto known = contents.constFind(photo.path);
        if (!photo.content && known != contents.cend() && known->photo == stampOf(photo.path))
            current.insert(photo.path, known->box.value_or(ContentBox()));
    }
    return withContent(std::move(document), current);
}

// Analyses the photos without a content box, off the GUI thread. Nothing waits for it: the
// tiles are centred until the boxes arrive, and then drawn again.
void CollageSession::analysePhotos()
{
    if (doc.crop != CropMode::Auto)
        return;
    if (analysisRunning) {
        analyseAgain = true;
        return;
    }
    QList<PhotoStamp> missing;
    for (const PhotoRecord &photo : std::as_const(doc.photos)) {
        if (!photo.content)
            missing.append(stampOf(photo.path));
    }
    analyseAgain = false;
    if (missing.isEmpty())
        return;
    qCDebug(lcSession) << "analysing" << missing.size() << "photos";
    ContentCallbacks callbacks;
    // Called on the analysing threads; the session outlives the run.
    callbacks.found = [this](const PhotoContent &content) {
        if (content.box)
            QMetaObject::invokeMethod(
                this, [this, content] { contentArrived(content); }, Qt::QueuedConnection);
    };
    callbacks.stop = [stop = stopAnalysis] { return stop->load(); };
    callbacks.pool = &analysisPool;
    analysisRunning = true;
    analysis.setFuture(QtConcurrent::run(&analysisPool, [this, missing, callbacks] {
        return ::analysePhotos(missing, contentCache, callbacks);
    }));
}

void CollageSession::contentArrived(const PhotoContent &content)
{
    arrived.append(content);
    if (!arrivalTimer.isActive())
        arrivalTimer.start();
}

void CollageSession::analysisEnded()
{
    // Every photo's answer is in the result, those that arrived before it too.
    arrivalTimer.stop();
    arrived.clear();
    const QList<PhotoContent> found = analysis.result();
    analysisRunning = false;
    qCDebug(lcSession) << "analysed" << found.size() << "photos";
    learnContents(found);
    emit analysisFinished();
    if (analyseAgain)
        analysePhotos();
}

// Takes what the analysis found into the document and every step of its history, and draws
// the tiles it moves.
void CollageSession::learnContents(const QList<PhotoContent> &found)
{
    // A photo that cannot be analysed gets the centre crop it is drawn with, so that it is not
    // analysed again at every change; until its file changes.
    QHash<QString, ContentBox> current;
    for (const PhotoContent &result : found) {
        const PhotoContent known {result.photo, result.box.value_or(ContentBox())};
        contents.insert(result.photo.path, known);
        if (result.photo == stampOf(result.photo.path))
            current.insert(result.photo.path, *known.box);
    }
    const auto learn = [&current](CollageDocument document) {
        return withContent(std::move(document), current);
    };
    // Facts about the photos, not a change: every step learns them, and none is added.
    for (int i = 0; i < history->count(); ++i) {
        if (auto *step = dynamic_cast<const DocumentCommand *>(history->command(i)))
            const_cast<DocumentCommand *>(step)->learn(learn);
    }
    if (layingOut)
        layingOut->before = learn(std::move(layingOut->before));
    const CollageDocument next = learn(doc);
    if (next != doc) {
        // Only a box with something in it moves a tile.
        bool moves = false;
        for (qsizetype i = 0; i < doc.photos.size(); ++i) {
            const std::optional<ContentBox> &learnt = next.photos.at(i).content;
            moves = moves || (!doc.photos.at(i).content && learnt && !learnt->isEmpty());
        }
        doc = next;
        emit documentChanged();
        if (moves && doc.crop == CropMode::Auto)
            drawPhotos(Drawing::Quiet);
    }
}

bool CollageSession::validPhoto(int index) const
{
    return index >= 0 && index < doc.photos.size();
}

void CollageSession::swapPhotos(int first, int second)
{
    if (busy() || first == second || !validPhoto(first) || !validPhoto(second))
        return;
    const CollageDocument swapped = withSwappedPhotos(doc, first, second);
    if (swapped != doc)
        changeDocument(tr("Swap"), swapped);
}

void CollageSession::removePhoto(int index)
{
    if (busy() || !validPhoto(index))
        return;
    refitDocument(tr("Remove Photo"), withoutPhoto(doc, index));
}

void CollageSession::turnPhoto(int index, int quarterTurns)
{
    if (busy() || !validPhoto(index))
        return;
    refitDocument(quarterTurns < 0 ? tr("Rotate Left") : tr("Rotate Right"),
                  withTurnedPhoto(doc, index, quarterTurns));
}

void CollageSession::autoCropPhoto(int index)
{
    if (busy() || !validPhoto(index) || doc.photos.at(index).crop.isNull())
        return;
    changeDocument(tr("Automatic Crop"), withCrop(doc, index, QPointF()));
}

void CollageSession::setCrop(int index, const QPointF &crop)
{
    if (busy() || !validPhoto(index) || doc.photos.at(index).crop == crop)
        return;
    changeDocument(tr("Move Photo"), withCrop(doc, index, crop));
}

void CollageSession::replacePhoto(int index, const QString &path)
{
    if (busy() || !validPhoto(index) || path.isEmpty())
        return;
    setState(State::Adding);
    const QString replaced = doc.photos.at(index).path;
    QList<PhotoRecord> others = doc.photos;
    others.removeAt(index);
    auto *watcher = new QFutureWatcher<Offered>(this);
    adding = watcher;
    connect(watcher, &QFutureWatcher<Offered>::finished, this, [this, watcher, index, replaced] {
        adding = nullptr;
        watcher->deleteLater();
        const Offered result = watcher->result();
        setState(State::Idle);
        if (!result.notAdded.isEmpty())
            emit photosNotAdded(result.notAdded);
        // The collage may have changed while the file was read; the photo is put in its place
        // only where that place still holds the photo it replaces.
        if (result.additions.added == 0 || !validPhoto(index)
            || doc.photos.at(index).path != replaced) {
            if (drawOwed)
                drawPhotos(Drawing::Quiet);
            return;
        }
        refitDocument(tr("Replace Photo"), withKnownContent(withReplacedPhoto(
                                               doc, index, result.additions.photos.last())));
        analysePhotos();
    });
    watcher->setFuture(QtConcurrent::run(&CollageSession::readOffered, others, QStringList {path}));
}

bool CollageSession::canEmphasise(int index, int steps) const
{
    if (!validPhoto(index) || steps == 0 || !doc.hasLayout())
        return false;
    const qreal emphasis = doc.photos.at(index).emphasis;
    return steppedEmphasis(emphasis, steps) != nearestEmphasis(emphasis);
}

void CollageSession::emphasisePhoto(int index, int steps)
{
    if (busy() || !canEmphasise(index, steps))
        return;
    CollageDocument next = doc;
    PhotoRecord &photo = next.photos[index];
    photo.emphasis = steppedEmphasis(photo.emphasis, steps);
    refitDocument(steps > 0 ? tr("Make Larger") : tr("Make Smaller"), next);
}

void CollageSession::setFrameType(FrameType type)
{
    FrameSettings frame = doc.frame;
    frame.type = type;
    setFrame(frame);
}

void CollageSession::setFrameParams(int margin, int parameter)
{
    FrameSettings frame = doc.frame;
    frame.a = margin;
    frame.b = parameter;
    setFrame(frame);
}

// Taken while busy too: a running layout draws with it, a running render is replaced.
void CollageSession::setFrame(const FrameSettings &frame)
{
    if (frame == doc.frame)
        return;
    CollageDocument next = doc;
    next.frame = frame;
    changeDocument(tr("Frame Change"), next, frameMergeId);
}

void CollageSession::setBackground(const QColor &colour)
{
    if (!colour.isValid() || colour == doc.background)
        return;
    CollageDocument next = doc;
    next.background = colour;
    changeDocument(tr("Background Change"), next);
}

void CollageSession::setCropMode(CropMode mode)
{
    if (mode == doc.crop)
        return;
    CollageDocument next = doc;
    next.crop = mode;
    changeDocument(tr("Keep Faces in View"), next);
    analysePhotos();
}

void CollageSession::newCanvas(const QSize &requested, std::optional<int> dpi)
{
    if (busy() || requested.isEmpty())
        return;
    qCDebug(lcSession) << "new canvas:" << requested;
    CollageDocument fresh;
    fresh.requestedSize = requested;
    fresh.canvasSize = workingCanvasSize(requested);
    fresh.background = doc.background;
    fresh.frame = doc.frame;
    fresh.dpi = std::clamp(dpi.value_or(doc.dpi), minDpi, maxDpi);
    fresh.crop = doc.crop;
    clearDecodes();
    changeDocument(tr("New Canvas"), fresh);
    // A new collage: saving it must never overwrite the project shown before.
    setProjectPath(QString());
}

void CollageSession::resizeCanvas(const QSize &requested, std::optional<int> dpi)
{
    const int resolution = std::clamp(dpi.value_or(doc.dpi), minDpi, maxDpi);
    if (busy() || requested.isEmpty() || (requested == doc.requestedSize && resolution == doc.dpi))
        return;
    CollageDocument resized = doc;
    resized.dpi = resolution;
    resized.requestedSize = requested;
    if (requested == doc.requestedSize)
        return changeDocument(tr("Canvas Size"), resized);
    resized.canvasSize = workingCanvasSize(requested);
    refitDocument(tr("Canvas Size"), resized);
}

// --- project files ---------------------------------------------------------------

Result<ProjectOpening> CollageSession::openProject(const QString &fileName)
{
    if (busy())
        return Failure {};
    const Result<CollageDocument> load = readProjectFile(fileName);
    if (!load)
        return Failure {load.error()};
    const CheckedDocument checked = checkPhotos(*load);
    recoveryTimer.stop();
    recovery->remove();
    showOpened(checked.document);
    history->setClean();
    setProjectPath(QFileInfo(fileName).absoluteFilePath());
    return ProjectOpening {checked.leftOut, checked.changed};
}

// Shows a collage read from a file, with a history of its own.
void CollageSession::showOpened(CollageDocument opened)
{
    // A project made by vellomir-collage is laid out at full size; the window works smaller.
    const QSize working = workingCanvasSize(opened.requestedSize);
    if (opened.canvasSize != working
        && (opened.canvasSize.width() > working.width()
            || opened.canvasSize.height() > working.height())) {
        // Its frame was measured on that canvas: scaled with it, it saves as it was made.
        const double factor = std::min(double(working.width()) / opened.canvasSize.width(),
                                       double(working.height()) / opened.canvasSize.height());
        opened.frame.a = int(std::lround(opened.frame.a * factor));
        opened.frame.b = int(std::lround(opened.frame.b * factor));
        opened = fittedTo(std::move(opened), working);
    }
    clearDecodes();
    applyDocument(withKnownContent(std::move(opened)));
    history->clear();
    analysePhotos();
}

Result<ProjectOpening> CollageSession::restoreRecovery(const RecoveredCollage &left)
{
    if (busy())
        return Failure {};
    const RecoveryLoad load = RecoveryFile::read(left.fileName);
    if (!load.document) {
        RecoveryFile::setAside(left);
        return Failure {load.document.error()};
    }
    const CheckedDocument checked = checkPhotos(*load.document);
    recoveryTimer.stop();
    if (!recovery->adopt(left))
        return Failure {tr("it is being restored by another window")};
    showOpened(checked.document);
    // Not saved: the restored collage is a change of its project until it is saved again.
    history->resetClean();
    setProjectPath(load.projectPath);
    return ProjectOpening {checked.leftOut, checked.changed};
}

Result<void> CollageSession::saveProject(const QString &fileName)
{
    if (Result<void> written = writeProjectFile(doc, fileName); !written)
        return written;
    history->setClean();
    recoveryTimer.stop();
    recovery->remove();
    setProjectPath(QFileInfo(fileName).absoluteFilePath());
    return {};
}

// --- saving the collage ----------------------------------------------------------

bool CollageSession::saveCollage(const QString &fileName, CollageFormat format, const PdfPage &pdf)
{
    if (busy() || format == CollageFormat::Unsupported || clashingInput(fileName, doc.photos))
        return false;
    // Composed from the document, not taken from the screen: every photo is decoded for the
    // collage's cells, and vellomir-collage renders a saved project the same way.
    const CollageDocument toSave = doc;
    SaveOptions options;
    options.dpi = doc.dpi;
    if (format == CollageFormat::Pdf) {
        options.title = QFileInfo(fileName).completeBaseName();
        options.paper = pdf.paper;
        if (pdf.paper.isEmpty())
            options.bleed = millimetrePixels(std::clamp(pdf.bleedMm, 0.0, maxBleedMm), options.dpi);
    }
    setState(State::Saving);
    saveWatcher.setFuture(QtConcurrent::run(&savePool, [this, toSave, fileName, format, options]() {
        RenderOptions paper;
        paper.bleed = options.bleed;
        // Nothing decoded is drawn twice in a save.
        ImageCache unused(ImageCache::Retention::DrawOnly);
        const QImage image = renderDocument(
                                 toSave, unused, toSave.requestedSize, RenderKind::Collage,
                                 [this](int done, int total) {
                                     const int value = total > 0 ? done * 100 / total : 0;
                                     // A report still queued when the save ends is dropped.
                                     QMetaObject::invokeMethod(
                                         this,
                                         [this, value] {
                                             if (current == State::Saving)
                                                 emit progressChanged(value);
                                         },
                                         Qt::QueuedConnection);
                                 },
                                 paper)
                                 .image;
        Result<void> written = writeCollage(image, fileName, format, options);
        if (!written && written.error().isEmpty())
            written = Failure {tr("unknown error")};
        return SaveOutcome {fileName, written};
    }));
    return true;
}

void CollageSession::saveEnded()
{
    const SaveOutcome outcome = saveWatcher.result();
    setState(rendering && rendering->drawing == Drawing::Busy ? State::Rendering : State::Idle);
    emit collageSaved(outcome);
}

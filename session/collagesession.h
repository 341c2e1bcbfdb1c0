#ifndef COLLAGESESSION_H
#define COLLAGESESSION_H

#include "autothread.h"
#include "collagedocument.h"
#include "collagefile.h"
#include "contentdetect.h"
#include "imagecache.h"
#include "papersize.h"
#include "photoadding.h"
#include "recovery.h"
#include "renderthread.h"

#include <QFutureWatcher>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QSet>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QUndoStack;

// What a collage save hands back.
struct SaveOutcome
{
    QString fileName;
    Result<void> written;
};

// The page of a PDF save beyond the collage's own pixels and resolution.
struct PdfPage
{
    double bleedMm = 0; // past the trim on every side, for the canvas's own page only
    QSizeF paper; // the page in millimetres, the collage fitted onto it; empty: the canvas's
};

// What an opened project tells beyond the collage shown.
struct ProjectOpening
{
    QList<PhotoProblem> leftOut; // photos missing or unreadable, in the collection's order
    QList<PhotoProblem> changed; // photos shown with the new shape their files have
};

// One collage being made: the document, its history, the decoded photos and the two workers,
// and every operation on them. It holds no widget; a window shows what its signals say and
// calls its methods, and tests drive it the same way.
//
// The collage is in one state at a time. While it is busy (laying out, rendering, saving),
// the operations that need a finished layout are refused; appearance changes are taken at any
// time, and a render asked for while one runs replaces it.
class CollageSession : public QObject
{
    Q_OBJECT

public:
    enum class State {
        Idle,
        Adding, // the files offered are read; what was added is laid out next
        LayingOut, // a layout runs; its end is a step of the history, then a render
        Rendering, // the photo layer is drawn
        Saving, // the collage is written; a render may run beside it
    };
    Q_ENUM(State)

    explicit CollageSession(QObject *parent = nullptr);
    ~CollageSession() override;

    const CollageDocument &document() const { return doc; }
    State state() const { return current; }
    bool busy() const { return current != State::Idle; }
    QUndoStack *undoStack() const { return history; }
    // The decoded photos of the working canvas; only the GUI thread writes it.
    const ImageCache &cache() const { return images; }
    bool isModified() const;

    // Where layouts take their seeds: whole seconds since midnight unless set.
    void setSeedSource(std::function<unsigned()> source);
    // The background, the frame and the size a collage starts with, as the last one had them.
    // Changes the document without a step.
    void setStartingChoices(const QColor &background, const FrameSettings &frame,
                            const QSize &requested, int dpi = defaultDpi,
                            CropMode crop = CropMode::Auto);

    // Files and folders, as a drop or a dialog gives them: folders are read like Add Folder
    // and come first, files follow in their order, all of it off the GUI thread. What was
    // added is laid out anew, as one step; what was not is told through photosNotAdded(), a
    // problem without a path being a line of its own.
    void addPaths(const QStringList &paths);
    void shuffle();
    void undo();
    void redo();

    // Editing by hand; photos are 0-based indices into the document's photos.
    void swapPhotos(int first, int second);
    void removePhoto(int index);
    void turnPhoto(int index, int quarterTurns);
    // Gives a photo cropped by hand back to the automatic crop.
    void autoCropPhoto(int index);
    void setCrop(int index, const QPointF &crop);
    // Puts the photo of `path` in the place of photo `index`, read off the GUI thread; a file
    // that cannot be added is told through photosNotAdded().
    void replacePhoto(int index, const QString &path);
    // The photo's emphasis `steps` doublings up (down for negative steps), within ½ to 4, and
    // the layout refitted to it: Make Larger and Make Smaller. Nothing at either end.
    void emphasisePhoto(int index, int steps);
    // Whether the photo's emphasis can go `steps` further.
    bool canEmphasise(int index, int steps) const;

    void setFrame(const FrameSettings &frame);
    void setFrameType(FrameType type);
    void setFrameParams(int margin, int parameter);
    void setBackground(const QColor &colour);
    // "Keep faces in view": tiles the user has not cropped keep what the analysis found, or
    // are cut around the centre. A step.
    void setCropMode(CropMode mode);
    // Photos still being analysed; their tiles are centred until their boxes arrive, and move
    // as they do, a few times a second.
    bool analysing() const { return analysisRunning; }
    // A photo layer is on its way: photoLayerReady() follows. Also while the collage is idle,
    // as tiles moved by boxes that arrived are drawn without making the collage busy.
    bool drawing() const { return rendering.has_value(); }
    // An empty collage of `requested` size, keeping the appearance and, unless given, the
    // resolution: a step, the cache cleared.
    void newCanvas(const QSize &requested, std::optional<int> dpi = std::nullopt);
    // The same collage on a canvas of another size or resolution, as one step: the layout is
    // refitted to the new size, keeping its arrangement where it can.
    void resizeCanvas(const QSize &requested, std::optional<int> dpi = std::nullopt);
    // The screen's device pixels per canvas pixel, which the photo layer is drawn for.
    void setDeviceRatio(qreal ratio);
    qreal deviceRatio() const { return ratio; }

    // The project file the collage was opened from or saved as; empty for an untitled one.
    QString projectPath() const { return projectFile; }
    // Reads a project and shows it, without its missing photos; the history starts again. The
    // reason, translated, when it was not opened; none while the collage is busy.
    Result<ProjectOpening> openProject(const QString &fileName);
    // Writes the project; the collage counts as saved once it is written, as that project.
    Result<void> saveProject(const QString &fileName);

    // After each change the collage is written to a recovery file in this folder, and the
    // file goes once the collage is saved, discarded or closed. By default the program's own.
    void setRecoveryFolder(const QString &folder);
    QString recoveryFolder() const { return recovery->folder(); }
    // Shows the collage a crashed process left, marked modified, under its project's name;
    // its file becomes this collage's recovery file. A damaged file is set aside.
    Result<ProjectOpening> restoreRecovery(const RecoveredCollage &left);
    // The recovery file written now, once every write has ended; for tests.
    QString flushRecovery();
    // Starts writing the collage at its requested size and resolution; collageSaved() tells
    // how it ended. A PDF takes `pdf` for its page, the file's base name for its title. False
    // when nothing was started: while busy, or when the file is one of the photos.
    bool saveCollage(const QString &fileName, CollageFormat format, const PdfPage &pdf = {});

signals:
    void stateChanged(CollageSession::State state);
    // The document changed in any way.
    void documentChanged();
    // The photos, the layout or the canvas changed: cells have moved.
    void layoutChanged();
    // A layout has just finished and been drawn for the first time is on its way.
    void layoutFinished();
    void modifiedChanged(bool modified);
    void projectPathChanged(const QString &path);
    void progressPicture(const QImage &picture);
    void progressChanged(int percent);
    // The photo layer, with the device pixel ratio it was drawn for; null for a collage
    // without a layout.
    void photoLayerReady(const QImage &layer);
    // Files that were offered but not added, with the reason in words.
    void photosNotAdded(const QList<PhotoProblem> &problems);
    // Photos that could not be decoded and left the collage.
    void photosLeftOut(const QList<PhotoProblem> &problems);
    // Photos whose files are cut off: drawn as far as they go, and named once.
    void photosDamaged(const QList<PhotoProblem> &problems);
    void collageSaved(const SaveOutcome &outcome);
    // The analysis of the photos that had no content box has ended; the boxes it found are in
    // the document.
    void analysisFinished();

private:
    struct Offered
    {
        PhotoAdditions additions;
        QList<PhotoProblem> notAdded; // in words, as the notice shows them
    };
    static Offered readOffered(QList<PhotoRecord> held, const QStringList &paths);
    void setState(State next);
    void beginLayout(const QString &stepName, const CollageDocument &before);
    void layoutReady(quint64 request, const LayoutTree &layout);
    void renderFinished(quint64 request, const RenderedLayer &result);
    void saveEnded();
    void clearDecodes();
    // Draws the photo layer. Quietly, the collage stays idle while it is drawn, and the edit
    // that comes meanwhile draws again instead; a quiet drawing asked for while another is
    // under way follows it.
    enum class Drawing { Busy, Quiet };
    void drawPhotos(Drawing drawing = Drawing::Busy);
    void applyDocument(const CollageDocument &next);
    // Makes `next` the document as one step named `text`.
    void changeDocument(const QString &text, const CollageDocument &next, int mergeId = -1);
    // Makes `next`, its layout refitted to its canvas off the GUI thread, the document as one
    // step named `text`; a document without a layout becomes it at once.
    void refitDocument(const QString &text, CollageDocument next);
    void refitReady();
    void pushStep(const QString &text, const CollageDocument &before, int mergeId = -1);
    bool validPhoto(int index) const;
    void setProjectPath(const QString &path);
    void showOpened(CollageDocument opened);
    void writeRecovery();
    void analysePhotos();
    void analysisEnded();
    void contentArrived(const PhotoContent &content);
    void learnContents(const QList<PhotoContent> &found);
    CollageDocument withKnownContent(CollageDocument document) const;

    CollageDocument doc;
    QUndoStack *history = nullptr;
    ImageCache images;
    std::function<unsigned()> seedSource;
    State current = State::Idle;
    qreal ratio = 1.0; // the screen's
    QString projectFile;
    std::unique_ptr<RecoveryFile> recovery;
    QTimer recoveryTimer; // single shot: one recovery write for a burst of changes

    // The layout running: its request, and the step it ends.
    struct PendingLayout
    {
        quint64 request = 0;
        QString stepName;
        CollageDocument before; // the document the step goes back to
    };
    std::optional<PendingLayout> layingOut;
    // The refit running, and the step it ends.
    QFutureWatcher<CollageDocument> refitWatcher;
    QString refitStep;
    // The render whose layer is awaited, and the ratio it draws for.
    struct PendingRender
    {
        quint64 request = 0;
        qreal ratio = 1.0;
        Drawing drawing = Drawing::Busy;
    };
    std::optional<PendingRender> rendering;
    bool drawOwed = false; // what the layer shows is older than the document
    quint64 latestRequest = 0; // the render started last
    quint64 clearedAt = 0; // the render started last when the cache was cleared
    QSet<QString> namedDamaged; // the cut-off files already told of: each is named once
    QFutureWatcherBase *adding = nullptr; // the files offered being read

    // Saves render on a pool of their own, so that the decoding inside keeps the whole global
    // pool.
    QThreadPool savePool;
    QFutureWatcher<SaveOutcome> saveWatcher;

    // Photos are analysed for their content boxes off the GUI thread, one run at a time; the
    // collage never waits for them. What was found is kept by path for every document shown,
    // with the file's stamp: a file changed since is analysed again.
    ContentCache contentCache;
    QHash<QString, PhotoContent> contents;
    QFutureWatcher<QList<PhotoContent>> analysis;
    // At idle priority, so that the layout and the first render never wait for it; one thread
    // more than the cores for the run that waits on the others.
    QThreadPool analysisPool;
    std::shared_ptr<std::atomic<bool>> stopAnalysis = std::make_shared<std::atomic<bool>>(false);
    // From the start of a run until what it found is in the document.
    bool analysisRunning = false;
    bool analyseAgain = false; // photos came while a run was under way
    // Boxes found while the run goes on, learnt together when the timer ends.
    QList<PhotoContent> arrived;
    QTimer arrivalTimer;

    AutoThread autoThread;
    RenderThread renderThread;
};

#endif // COLLAGESESSION_H

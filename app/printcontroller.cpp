#include "printcontroller.h"

#include "collagesession.h"
#include "mainwindow.h"
#include "pdfpagedialog.h"
#include "settingsstore.h"
#include "warning.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QSignalBlocker>
#include <QToolBar>
#include <QVBoxLayout>

#include <utility>

PrintController::PrintController(MainWindow *window, CollageSession *session,
                                 SettingsStore *settings)
    : QObject(window)
    , window(window)
    , session(session)
    , settings(settings)
{
    printAct = new QAction(tr("&Print..."), this);
    printAct->setShortcut(QKeySequence(tr("Ctrl+P")));
    connect(printAct, &QAction::triggered, this, &PrintController::print);
    previewAct = new QAction(tr("Print Pre&view..."), this);
    connect(previewAct, &QAction::triggered, this, &PrintController::printPreview);
    exportPdfAct = new QAction(tr("&Export PDF..."), this);
    connect(exportPdfAct, &QAction::triggered, this, &PrintController::exportPdf);
    connect(session, &CollageSession::stateChanged, this, &PrintController::updateActions);
    connect(session, &CollageSession::photoLayerReady, this, &PrintController::updateActions);
    updateActions();

    connect(&watcher, &QFutureWatcherBase::progressRangeChanged, this, [this](int low, int high) {
        if (progress)
            progress->setRange(low, high);
    });
    connect(&watcher, &QFutureWatcherBase::progressValueChanged, this, [this](int value) {
        if (progress)
            progress->setValue(value);
    });
    connect(&watcher, &QFutureWatcherBase::finished, this, &PrintController::renderEnded);
}

PrintController::~PrintController()
{
    watcher.disconnect(this);
    watcher.cancel();
    watcher.waitForFinished();
    // The preview paints through the printer held here.
    delete preview;
}

void PrintController::updateActions()
{
    const bool ready = !session->busy() && session->document().hasLayout();
    for (QAction *action : {printAct, previewAct, exportPdfAct})
        action->setEnabled(ready);
}

namespace {

QString documentName(const CollageSession &session)
{
    const QString project = QFileInfo(session.projectPath()).completeBaseName();
    return project.isEmpty() ? PrintController::tr("Collage") : project;
}

} // namespace

void PrintController::print()
{
    if (session->busy() || !session->document().hasLayout() || watcher.isRunning())
        return;
    auto chosen = std::make_unique<QPrinter>(QPrinter::HighResolution);
    preparePrinter(*chosen, session->document(), documentName(*session));
    QPrintDialog dialog(chosen.get(), window);
    auto *options = new QWidget;
    options->setWindowTitle(tr("Collage"));
    auto *fill = new QCheckBox(tr("Fill the page, cutting away the least of the collage"), options);
    fill->setChecked(chosenFit == PrintFit::FillPage);
    auto *layout = new QVBoxLayout(options);
    layout->addWidget(fill);
    layout->addStretch();
    dialog.setOptionTabs({options});
    if (dialog.exec() != QDialog::Accepted)
        return;
    printWith(std::move(chosen), fill->isChecked() ? PrintFit::FillPage : PrintFit::Whole);
}

bool PrintController::printWith(std::unique_ptr<QPrinter> chosen, PrintFit fit)
{
    if (!chosen || watcher.isRunning() || !session->document().hasLayout())
        return false;
    printer = std::move(chosen);
    chosenFit = fit;
    return startRender(fit, [this](const PrintRender &render) {
        if (render.image.isNull())
            return emit printEnded(false);
        const bool printed = printCollage(*printer, render);
        if (!printed)
            warn(window, tr("Print"), tr("The collage could not be sent to the printer."));
        emit printEnded(printed);
    });
}

void PrintController::printPreview()
{
    if (session->busy() || !session->document().hasLayout() || watcher.isRunning())
        return;
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    preparePrinter(*printer, session->document(), documentName(*session));
    startRender(chosenFit, [this](const PrintRender &render) {
        if (render.image.isNull())
            return;
        shown = render;
        showPreview();
    });
}

// The page may be changed in the preview: the render is placed anew on it, and Fill Page
// renders again for the page shown.
void PrintController::showPreview()
{
    auto *dialog = new QPrintPreviewDialog(printer.get(), window);
    preview = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *target) {
        QPainter painter(target);
        paintPrint(painter, printPage(*target), shown);
    });
    if (auto *bar = dialog->findChild<QToolBar *>()) {
        bar->addSeparator();
        QPointer<QAction> fill = bar->addAction(tr("Fill Page"));
        fill->setCheckable(true);
        fill->setChecked(shown.fit == PrintFit::FillPage);
        connect(fill, &QAction::toggled, this, [this, fill](bool on) {
            const PrintFit wanted = on ? PrintFit::FillPage : PrintFit::Whole;
            const auto shownAgain = [this, fill](const PrintRender &render) {
                if (!render.image.isNull()) {
                    shown = render;
                    chosenFit = render.fit;
                }
                if (!preview || !fill)
                    return;
                const QSignalBlocker block(fill.data());
                fill->setChecked(shown.fit == PrintFit::FillPage);
                if (auto *pages = preview->findChild<QPrintPreviewWidget *>())
                    pages->updatePreview();
            };
            if (!startRender(wanted, shownAgain)) {
                const QSignalBlocker block(fill.data());
                fill->setChecked(!on);
            }
        });
    }
    dialog->open();
}

bool PrintController::startRender(PrintFit fit, std::function<void(const PrintRender &)> then)
{
    if (watcher.isRunning() || !printer)
        return false;
    finish = std::move(then);
    QWidget *over = preview ? static_cast<QWidget *>(preview.data()) : window;
    progress = new QProgressDialog(tr("Preparing the collage for the printer..."), tr("Cancel"), 0,
                                   0, over);
    progress->setWindowTitle(tr("Print"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setMinimumDuration(0);
    connect(progress, &QProgressDialog::canceled, &watcher, &QFutureWatcherBase::cancel);
    watcher.setFuture(startPrintRender(session->document(), printPage(*printer), fit));
    progress->open();
    return true;
}

void PrintController::renderEnded()
{
    if (progress) {
        // Hidden, not closed: closing a progress dialog says Cancel.
        progress->disconnect(&watcher);
        progress->hide();
        progress->deleteLater();
    }
    PrintRender render;
    const QFuture<PrintRender> future = watcher.future();
    if (!future.isCanceled() && future.resultCount() > 0) {
        render = future.result();
        if (render.image.isNull()) {
            warn(window, tr("Print"),
                 tr("There is not enough memory to render the collage for this page."));
        } else if (!render.dropped.isEmpty()) {
            const int count = int(render.dropped.size());
            warn(window, tr("Print"),
                 count == 1 ? tr("One photo could not be decoded and was left out of the print.")
                            : tr("%n photos could not be decoded and were left out of the print.",
                                 nullptr, count));
        }
    }
    if (const auto then = std::exchange(finish, {}))
        then(render);
}

void PrintController::exportPdf()
{
    if (session->busy() || !session->document().hasLayout())
        return;
    const CollageDocument &document = session->document();
    PdfPageDialog page(document.requestedSize, document.dpi, window);
    if (page.exec() != QDialog::Accepted)
        return;
    const QString fileName = QFileDialog::getSaveFileName(window, tr("Export PDF"),
                                                          settings->saveDir(), tr("PDF (*.pdf)"));
    if (!fileName.isEmpty())
        window->saveCollageAs(fileName, QStringLiteral("pdf"), {page.bleedMm(), page.paper()});
}

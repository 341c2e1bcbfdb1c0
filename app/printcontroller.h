#ifndef PRINTCONTROLLER_H
#define PRINTCONTROLLER_H

#include "collageprint.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QProgressDialog>

#include <functional>
#include <memory>

class CollageSession;
class MainWindow;
class QAction;
class QPrinter;
class SettingsStore;

// The collage on paper: File > Print, Print Preview and Export PDF with their dialogs. A print
// is rendered afresh for the printer's page on the thread pool, behind a progress dialog whose
// Cancel stops it; the window stays responsive meanwhile and no event loop is nested beyond
// the print dialogs' own. PDFs are saves of the collage, made by the session as JPEG and PNG
// saves are.
class PrintController : public QObject
{
    Q_OBJECT

public:
    PrintController(MainWindow *window, CollageSession *session, SettingsStore *settings);
    ~PrintController() override;

    // Print..., Print Preview... and Export PDF..., on only while a finished collage is idle.
    QAction *printAction() const { return printAct; }
    QAction *previewAction() const { return previewAct; }
    QAction *exportPdfAction() const { return exportPdfAct; }

    // How a print fills the page; Print's options and the preview's Fill Page set it.
    PrintFit fit() const { return chosenFit; }

    // Renders the collage for `printer` and prints it, as Print does once its dialog is
    // accepted; printEnded() tells how it went. False when nothing was started: while a print
    // renders, or without a finished collage.
    bool printWith(std::unique_ptr<QPrinter> printer, PrintFit fit);
    // The progress dialog of the render running; null when none runs.
    QProgressDialog *progressDialog() const { return progress; }

signals:
    // A print has ended: sent to the printer, or not (cancelled, failed).
    void printEnded(bool printed);

private:
    void updateActions();
    void print();
    void printPreview();
    void exportPdf();
    // Starts the render for the printer's page; `then` gets a render that has an image.
    bool startRender(PrintFit fit, std::function<void(const PrintRender &)> then);
    void renderEnded();
    void showPreview();

    MainWindow *window = nullptr;
    CollageSession *session = nullptr;
    SettingsStore *settings = nullptr;
    QAction *printAct = nullptr;
    QAction *previewAct = nullptr;
    QAction *exportPdfAct = nullptr;
    PrintFit chosenFit = PrintFit::Whole;
    std::unique_ptr<QPrinter> printer; // the one the dialogs chose, until the next print
    PrintRender shown; // what the preview paints
    QPointer<QPrintPreviewDialog> preview;
    QPointer<QProgressDialog> progress;
    QFutureWatcher<PrintRender> watcher;
    std::function<void(const PrintRender &)> finish; // what the render running ends in
};

#endif // PRINTCONTROLLER_H

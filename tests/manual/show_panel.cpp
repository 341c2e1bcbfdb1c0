// Shows the right-hand panel beside a canvas, and the canvas size dialog, for looking at
// them by eye: show_panel [panel|busy|size [width height]]; busy shows the progress bar at 40 %.
// Texts follow the system locale.
#include "canvasscene.h"
#include "canvasview.h"
#include "rightwidget.h"
#include "sizewidget.h"
#include "statuswidget.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTranslator translator;
    if (translator.load(":/translations/vellomir_" + QLocale::system().name()))
        app.installTranslator(&translator);

    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("panel");
    if (what == QLatin1String("size")) {
        SizeWidget dialog;
        if (argc > 3)
            dialog.showSize(QSize(QString::fromLocal8Bit(argv[2]).toInt(),
                                  QString::fromLocal8Bit(argv[3]).toInt()));
        dialog.move(100, 100);
        return dialog.exec() == QDialog::Accepted ? 0 : 1;
    }

    QWidget window;
    CanvasScene scene;
    auto *view = new CanvasView(&window);
    view->setScene(&scene);
    scene.setCanvasSize(QSize(800, 600));
    {
        QImage layer(scene.canvasSize(), QImage::Format_ARGB32);
        layer.fill(Qt::transparent);
        QPainter painter(&layer);
        painter.fillRect(QRect(40, 40, 340, 250), QColor(90, 140, 200));
        painter.fillRect(QRect(420, 40, 340, 520), QColor(200, 120, 60));
        painter.end();
        scene.setPhotoLayer(layer);
    }

    auto *layout = new QHBoxLayout(&window);
    layout->addWidget(view);
    auto *panel = new RightWidget(&window);
    layout->addWidget(panel);
    if (what == QLatin1String("busy"))
        panel->statusWidget->progressBar->setValue(40);
    window.resize(1100, 720);
    window.move(20, 20);
    window.show();
    return app.exec();
}

// The window's first collage of a folder of photos, as its session makes it: when the first
// photo layer is ready, and when the content analysis has put every crop in place; the crops
// move as the boxes arrive, and the layers drawn for them meanwhile are counted.
//
//   bench-window DIR
#include "collagesession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Nothing of the user's: no cached analysis, no recovery files.
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-window DIR\n");
        return 1;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QStringList paths;
    for (const QString &name : dir.entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name))
        paths << dir.filePath(name);

    CollageSession session;
    session.setRecoveryFolder(home.filePath(QStringLiteral("recovery")));
    QElapsedTimer clock;
    qint64 firstLayer = -1;
    qint64 analysed = -1;
    int movedLayers = 0; // drawn for boxes while the analysis went on
    QObject::connect(&session, &CollageSession::photoLayerReady, &app, [&](const QImage &layer) {
        if (firstLayer < 0 && !layer.isNull())
            firstLayer = clock.elapsed();
        else if (session.analysing())
            ++movedLayers;
    });
    QObject::connect(&session, &CollageSession::analysisFinished, &app, [&] {
        analysed = clock.elapsed();
        // The crops move once the boxes are in: the layer drawn for them ends the run.
        QObject::connect(&session, &CollageSession::photoLayerReady, &app, [&] { app.quit(); });
        if (!session.busy() && !session.drawing())
            app.quit();
    });
    clock.start();
    session.addPaths(paths);
    app.exec();
    const qint64 settled = clock.elapsed();
    std::printf("%-36s %s\n", "the window's first collage", "ms");
    std::printf("%-36s %lld\n", "first photo layer", static_cast<long long>(firstLayer));
    std::printf("%-36s %lld\n", "analysis of the photos", static_cast<long long>(analysed));
    std::printf("%-36s %lld\n", "crops settled", static_cast<long long>(settled));
    std::printf("%-36s %d\n", "layers drawn as boxes arrived", movedLayers);
    std::printf("photos=%lld first_layer_ms=%lld analysis_ms=%lld settled_ms=%lld "
                "moved_layers=%d\n",
                static_cast<long long>(paths.size()), static_cast<long long>(firstLayer),
                static_cast<long long>(analysed), static_cast<long long>(settled), movedLayers);
    return 0;
}

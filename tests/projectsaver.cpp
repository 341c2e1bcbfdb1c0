// Test-only: the window's project save in a process of its own, so that a test can kill it
// partway. Reads the project SOURCE and writes it to TARGET with the writer the collage
// session saves through, TIMES times over. Exit 0 when every save was done, 2 when one failed.
#include "projectfile.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 1;
    const Result<CollageDocument> load = readProjectFile(args.at(1));
    if (!load)
        return 1;
    for (int i = 0, times = args.at(3).toInt(); i < times; ++i) {
        if (const Result<void> written = writeProjectFile(*load, args.at(2)); !written) {
            std::fprintf(stderr, "%s\n", qPrintable(written.error()));
            return 2;
        }
    }
    return 0;
}

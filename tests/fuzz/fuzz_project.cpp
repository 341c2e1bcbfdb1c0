// Feeds arbitrary bytes to the project reader. What it accepts must also write out and read
// back as the same document, so that a project once opened can always be saved and opened
// again; what it refuses must say why.
#include "projectfile.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString folder = QStringLiteral("/fuzz/project");
    const ProjectLoad load = projectFromJson(bytes, folder);
    if (!load.document) {
        if (load.error.isEmpty())
            __builtin_trap();
        return 0;
    }
    const ProjectLoad again = projectFromJson(projectToJson(*load.document, folder), folder);
    if (!again.document || *again.document != *load.document)
        __builtin_trap();
    return 0;
}

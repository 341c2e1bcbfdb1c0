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
    const Result<CollageDocument> load = projectFromJson(bytes, folder);
    if (!load) {
        if (load.error().isEmpty())
            __builtin_trap();
        return 0;
    }
    const Result<CollageDocument> again = projectFromJson(projectToJson(*load, folder), folder);
    if (!again || *again != *load)
        __builtin_trap();
    return 0;
}

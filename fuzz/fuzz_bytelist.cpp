// Any text typed into the string tools' byte boxes: parsed, and what parses shown again.
#include "hexview/stringconvert.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    bool error = false;
    const QByteArray bytes = parseBytes(text, &error);
    if (!error && parseBytes(renderBytes(bytes), &error) != bytes)
        __builtin_trap(); // what is shown parses back to the same bytes
    (void)textFromUtf16(bytes);
    return 0;
}

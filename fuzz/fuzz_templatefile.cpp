// The template-file importer on any bytes: every input is read or refused
// with a message; a file that is read, written again and read again gives
// the same template (what an export of an imported template does).
#include "core/templatefile.h"
#include "fuzzcommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TemplateContent content;
    const StoreStatus read = templatefile::fromJson(fuzz::bytes(data, size), content);
    fuzz::check(read.ok() || !read.message.isEmpty(), QStringLiteral("refused without a message"));
    if (!read)
        return 0;
    const QByteArray written = templatefile::toJson(content);
    TemplateContent again;
    const StoreStatus reread = templatefile::fromJson(written, again);
    fuzz::check(reread.ok(), QStringLiteral("a written file is refused: %1").arg(reread.message));
    fuzz::check(templatefile::toJson(again) == written, QStringLiteral("a written file reads back differently"));
    return 0;
}

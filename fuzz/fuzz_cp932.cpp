// The cp932 layer under any bytes: decoding never fails, text that decodes without loss encodes
// back to bytes that decode to the same text, text the encoder cannot hold is refused as a
// conversion error (never written), and line splitting leaves no line end inside a line.
#include "base/errors.h"
#include "platform/textfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
// Last: its macro name must not reach the headers above.
#include "fuzzcheck.h"



extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = textfile::decode(bytes);
    try {
        const QByteArray again = textfile::encode(text);
        check(textfile::decode(again) == text);
        check(textfile::encode(textfile::decode(again)) == again);
    } catch (const pz::ConversionError &e) {
        check(e.text().size() < 200);
    }
    const QStringList lines = textfile::splitLines(text);
    for (const QString &l : lines) {
        check(!l.contains(QLatin1Char('\n')));
        check(!l.contains(QChar(0)));
    }
    // Text made of what the bytes hold read as UTF-16 (typed text, in effect): refused, or encoded
    // to bytes that read back as text with the very same bytes, so that a stored password keeps
    // matching. (A few characters have one-way mappings, U+F86F to 0x8782 read back as U+2116:
    // the text may change, the bytes may not.)
    const QString any = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    try {
        const QByteArray enc = textfile::encode(any);
        check(textfile::encode(textfile::decode(enc)) == enc);
        check(textfile::decode(enc).size() <= any.size());
    } catch (const pz::ConversionError &) {
    }
    return 0;
}

#include "platform/errors.h"
#include <cstdio>

namespace pz {

IoError::IoError(const QString &path, const QString &reason)
    : Error(QStringLiteral("ファイル %1 を使えません。\n%2").arg(path, reason)), path_(path) {}

ConversionError::ConversionError(const QString &text)
    : Error(QStringLiteral("'%1' は正しい数値ではありません。").arg(text)) {}

namespace {
ErrorSink &sink()
{
    static ErrorSink s;
    return s;
}
} // namespace

void setErrorSink(ErrorSink s) { sink() = std::move(s); }

void reportError(const QString &text)
{
    if (sink())
        sink()(text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool guard(const std::function<void()> &f)
{
    try {
        f();
        return true;
    } catch (const Error &e) {
        reportError(e.text());
    } catch (const std::exception &e) {
        reportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportError(QStringLiteral("不明なエラーが発生しました。"));
    }
    return false;
}

} // namespace pz

#pragma once
// The two kinds of failure the program reports to the user, and the one place they are reported.
// Handlers do not catch them: they stop at the failing step and the application's event guard shows
// the standard error box, after which the program goes on.
#include <QString>
#include <exception>
#include <functional>
#include <type_traits>

namespace pz {

class Error : public std::exception {
public:
    explicit Error(QString text) : text_(std::move(text)), utf8_(text_.toUtf8()) {}
    const QString &text() const { return text_; }
    const char *what() const noexcept override { return utf8_.constData(); }
private:
    QString text_;
    QByteArray utf8_;
};

// Why a file could not be used, in words a classroom can read. The system's own texts are English
// ("No space left on device") or, for some errors, only "Unknown error".
QString reasonFor(int errnum);
namespace reason {
QString notRegular(); // a folder, FIFO, device or socket where a file belongs
QString isLink();     // a symbolic link where the program accepts only a file of its own
QString tooLarge();   // larger than any file of the program can be
QString sizeLimit();  // a write past the largest file the account (ulimit -f) or the disk allows
QString damaged();    // content the program itself could never have written
QString isFolder();   // a folder's name where a file was to be written
QString busy();       // another computer or program holds the folder's lock
} // namespace reason

// A file could not be opened, read, written or created. The text names the file and the reason.
class IoError : public Error {
public:
    IoError(const QString &path, const QString &reason);
    static IoError fromErrno(const QString &path, int errnum) { return IoError(path, reasonFor(errnum)); }
    const QString &path() const { return path_; }
    const QString &reason() const { return reason_; }
private:
    QString path_;
    QString reason_;
};

// A text that should hold a number (or be encodable) does not. With a place ("settei.dat の 3 行目
// （１０級の秒数）") the text says where the value was; an empty value is reported as empty.
class ConversionError : public Error {
public:
    explicit ConversionError(const QString &text);
    ConversionError(const QString &text, const QString &place);
};

// Text quoted in a message: control characters shown as "・", cut to maxChars with "…", so that a
// damaged file cannot make a message box taller or wider than the screen.
QString quoted(const QString &text, int maxChars = 40);

// Where reported errors go: the GUI installs the standard error box, tests install a recorder.
using ErrorSink = std::function<void(const QString &)>;
void setErrorSink(ErrorSink sink);
void reportError(const QString &text);

// Runs f; any exception it throws is reported and swallowed. Returns false when one was caught.
bool guard(const std::function<void()> &f);

} // namespace pz

namespace pz {
// Wraps a handler so that it runs under guard(): Qt Widgets is built without exceptions, so an
// exception must never travel through Qt's own frames; handlers are connected through this.
template <class F>
auto guarded(F f)
{
    return [f](auto &&...args) {
        guard([&] {
            if constexpr (std::is_invocable_v<const F &, decltype(args)...>)
                f(std::forward<decltype(args)>(args)...);
            else
                f(); // signals such as QTimer::timeout carry a private tag
        });
    };
}
} // namespace pz

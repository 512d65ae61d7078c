// The cp932 / CR LF text files every screen goes through.
#include "base/errors.h"
#include "platform/posixfile.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <algorithm>
#include <atomic>
#include <thread>
#include <unistd.h>

namespace {
// Makes every write past n bytes of a file fail (EFBIG after a short write), as a full disk does,
// without needing a small file system. SIGXFSZ is ignored so that the write returns instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t n)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        const rlimit l{n, old_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

// The names in a folder, so that a failed write can be shown to leave nothing behind.
QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Makes a FIFO's blocking open() return after 3 s, so that a reader which waits on it fails here
// with a message instead of hanging the test for good. Set done to end the wait early.
std::thread unblockFifoLater(const QByteArray &path, const std::atomic<bool> &done)
{
    return std::thread([path, &done] {
        for (int i = 0; i < 60 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
}
} // namespace

class TestTextFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    static QByteArray bytesOf(const QString &p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void put(const QString &p, const QByteArray &b)
    {
        QDir().mkpath(QFileInfo(p).path());
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(b);
    }

private slots:
    void readsLines_data();
    void readsLines();
    void writesCp932WithCrLf();
    void refusesTextCp932CannotHoldBeforeWriting();
    void triedEncoding_data();
    void triedEncoding();
    void appendNeverCreates();
    void appendAddsOneLine();
    void createNewRefusesExisting();
    void missingFileIsIoError();

    void rewriteShortWriteKeepsTheOldFile();
    void rewriteKeepsPermissionsAndLeavesNoTemporary();
    void rewriteKeepsOwnerAndGroup();
    void rewriteSyncsBeforeAndAfterItsRename_data();
    void rewriteSyncsBeforeAndAfterItsRename();
    void appendShortWriteCutsBack();
    void writeAllWrites_data();
    void writeAllWrites();
    void createNewShortWriteRemovesItsFile();
    void appendEndsTheLastLineFirst_data();
    void appendEndsTheLastLineFirst();
    void notRegularFiles_data();
    void notRegularFiles();
    void fifoNeverWaitedOn();
    void sizeLimit();
    void refusedLinks();
    void reasonsInJapanese_data();
    void reasonsInJapanese();
    void quotedTextIsCut();
};

void TestTextFile::readsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF lines") << QByteArray("1\r\n4\r\n4.5\r\n") << QStringList{"1", "4", "4.5"};
    QTest::newRow("LF lines") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("last line without an end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty line kept") << QByteArray("a\r\n\r\nc\r\n") << QStringList{"a", "", "c"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
    // Half of a double-byte character at the end is damage like any byte that is no character
    // (U+FFFD), not dropped unseen; a control byte is a control character, never U+FFFD, and every
    // ASCII byte is itself, as on Windows.
    QTest::newRow("torn double-byte character") << QByteArray("a\r\nb\x82") << QStringList{"a", QStringLiteral("b\uFFFD")};
    QTest::newRow("byte that is no character") << QByteArray("a\xfd" "b\r\n") << QStringList{QStringLiteral("a\uFFFDb")};
    QTest::newRow("lead byte before a line end") << QByteArray("\x81\r\nx\r\n") << QStringList{QStringLiteral("\uFFFD"), "x"};
    QTest::newRow("lead byte before an ASCII byte") << QByteArray("\x81" "1\x81\x40") << QStringList{QStringLiteral("\uFFFD1\u3000")};
    QTest::newRow("pair that is no character") << QByteArray("\x85\x40z") << QStringList{QStringLiteral("\uFFFDz")};
    QTest::newRow("control bytes 0x1A 0x1C 0x7F") << QByteArray("a\x1a" "b\x1c" "c\x7f") << QStringList{QStringLiteral("a\u001Ab\u001Cc\u007F")};
    // The IBM extension rows (lead bytes 0xFA–0xFC) are characters too: 髙 0xFBFC, 﨑 0xFAB1.
    QTest::newRow("IBM-extension kanji beside damage") << QByteArray("\xfd\xfb\xfc\xfa\xb1\r\n") << QStringList{QStringLiteral("\uFFFD髙﨑")};
    QTest::newRow("torn last line with NULs") << QByteArray("a\r\nb\0\0\0", 8) << QStringList{"a", "b"};
    // ～ is 0x8160 in cp932; 級 is 0x8B89.
    QTest::newRow("cp932 text") << QByteArray("\x82\xbd\x82\xeb\x82\xa4,\x81\x60\x8b\x89\r\n")
                                << QStringList{QStringLiteral("たろう,～級")};
}

void TestTextFile::readsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    put(path("r.txt"), bytes);
    QCOMPARE(textfile::readLines(path("r.txt")), lines);
}

void TestTextFile::writesCp932WithCrLf()
{
    textfile::rewrite(path("w.txt"), {QStringLiteral("級/段,日付"), QStringLiteral("～"), QString()});
    QCOMPARE(bytesOf(path("w.txt")), QByteArray("\x8b\x89/\x92\x69,\x93\xfa\x95\x74\r\n\x81\x60\r\n\r\n"));
}

void TestTextFile::refusesTextCp932CannotHoldBeforeWriting()
{
    put(path("keep.txt"), "old\r\n");
    QVERIFY_THROWS_EXCEPTION(pz::ConversionError, textfile::rewrite(path("keep.txt"), {QStringLiteral("😀")}));
    QVERIFY_THROWS_EXCEPTION(pz::ConversionError, textfile::appendLine(path("keep.txt"), QStringLiteral("한국")));
    // Half a surrogate pair at the end was once held back by the encoder and silently dropped.
    QVERIFY_THROWS_EXCEPTION(pz::ConversionError, textfile::encode(QStringLiteral("pw") + QChar(0xD83D)));
    QVERIFY_THROWS_EXCEPTION(pz::ConversionError, textfile::rewrite(path("keep.txt"), {QStringLiteral("pw") + QChar(0xD83D)}));
    QCOMPARE(bytesOf(path("keep.txt")), QByteArray("old\r\n"));
}

void TestTextFile::triedEncoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes"); // empty: cp932 cannot hold the text
    QTest::newRow("ascii") << QStringLiteral("pw1") << QByteArray("pw1");
    QTest::newRow("kana and kanji") << QStringLiteral("たろう級") << QByteArray("\x82\xbd\x82\xeb\x82\xa4\x8b\x89");
    QTest::newRow("half-width kana") << QStringLiteral("ｱ") << QByteArray("\xb1");
    QTest::newRow("a character cp932 lacks") << QStringLiteral("a😀") << QByteArray();
    QTest::newRow("half a surrogate pair at the end") << (QStringLiteral("pw") + QChar(0xD83D)) << QByteArray();
    QTest::newRow("U+FFFD") << (QStringLiteral("pw") + QChar(QChar::ReplacementCharacter)) << QByteArray();
}

void TestTextFile::triedEncoding()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> tried = textfile::tryEncode(text);
    QCOMPARE(tried.has_value(), !bytes.isEmpty());
    // The throwing form agrees: the same bytes, or a ConversionError where there are none.
    if (tried) {
        QCOMPARE(*tried, bytes);
        QCOMPARE(textfile::encode(text), bytes);
    } else {
        QVERIFY_THROWS_EXCEPTION(pz::ConversionError, textfile::encode(text));
    }
}

void TestTextFile::appendNeverCreates()
{
    QVERIFY_THROWS_EXCEPTION(pz::IoError, textfile::appendLine(path("nobody.dat"), QStringLiteral("x")));
    QVERIFY(!QFile::exists(path("nobody.dat")));
}

void TestTextFile::appendAddsOneLine()
{
    put(path("h.dat"), "head\r\n");
    textfile::appendLine(path("h.dat"), QStringLiteral("１０級,2004/7/05,9,1,合格"));
    QCOMPARE(bytesOf(path("h.dat")),
             QByteArray("head\r\n\x82\x50\x82\x4f\x8b\x89,2004/7/05,9,1,\x8d\x87\x8a\x69\r\n"));
}

void TestTextFile::createNewRefusesExisting()
{
    put(path("n.psw"), "secret\r\n");
    QVERIFY_THROWS_EXCEPTION(pz::IoError, textfile::createNew(path("n.psw"), {QStringLiteral("other")}));
    QCOMPARE(bytesOf(path("n.psw")), QByteArray("secret\r\n"));
}

void TestTextFile::missingFileIsIoError()
{
    try {
        textfile::readLines(path("nothere/x.txt"));
        QFAIL("no error");
    } catch (const pz::IoError &e) {
        QCOMPARE(e.path(), path("nothere/x.txt"));
        QVERIFY(e.text().contains(path("nothere/x.txt")));
    }
}

void TestTextFile::rewriteShortWriteKeepsTheOldFile()
{
    // The disk fills after 3 bytes of the new content: the old file must stay whole, with nothing
    // half-written in its place and no temporary left over.
    put(path("rw/keep.psw"), "secret-of-old\r\n");
    const QStringList before = entries(path("rw"));
    try {
        FileSizeLimit limit(3);
        textfile::rewrite(path("rw/keep.psw"), {QStringLiteral("new password")});
        QFAIL("a short write was reported as success");
    } catch (const pz::IoError &e) {
        QCOMPARE(e.path(), path("rw/keep.psw"));
        QCOMPARE(e.reason(), QStringLiteral("ファイルの大きさの上限をこえるので、書き込めません。"));
    }
    QCOMPARE(bytesOf(path("rw/keep.psw")), QByteArray("secret-of-old\r\n"));
    QCOMPARE(entries(path("rw")), before);
}

void TestTextFile::rewriteKeepsPermissionsAndLeavesNoTemporary()
{
    put(path("perm/a.dat"), "old\r\n");
    QVERIFY(::chmod(QFile::encodeName(path("perm/a.dat")).constData(), 0640) == 0);
    textfile::rewrite(path("perm/a.dat"), {QStringLiteral("new")});
    QCOMPARE(bytesOf(path("perm/a.dat")), QByteArray("new\r\n"));
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(path("perm/a.dat")).constData(), &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), 0640);

    // A new file gets what the umask allows, not a private temporary's 0600.
    const mode_t old = ::umask(022);
    textfile::rewrite(path("perm/b.dat"), {QStringLiteral("b")});
    ::umask(old);
    QVERIFY(::stat(QFile::encodeName(path("perm/b.dat")).constData(), &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), 0644);
    QCOMPARE(entries(path("perm")), (QStringList{"a.dat", "b.dat"}));
}

void TestTextFile::rewriteKeepsOwnerAndGroup()
{
    // A file of a folder shared by several accounts: root's save must not make it root's. (An
    // ordinary account's save keeping the group is run through the settings editor.)
    if (::geteuid() != 0)
        QSKIP("only root may hand a file to another owner");
    put(path("shared/settei.dat"), "old\r\n");
    const QByteArray p = QFile::encodeName(path("shared/settei.dat"));
    QVERIFY(::chown(p.constData(), 65534, 100) == 0 && ::chmod(p.constData(), 0664) == 0);
    textfile::rewrite(path("shared/settei.dat"), {QStringLiteral("new")});
    struct stat st {};
    QVERIFY(::stat(p.constData(), &st) == 0);
    QCOMPARE(st.st_uid, uid_t(65534));
    QCOMPARE(st.st_gid, gid_t(100));
    QCOMPARE(int(st.st_mode & 07777), 0664);
    QCOMPARE(bytesOf(path("shared/settei.dat")), QByteArray("new\r\n"));
}

namespace {
// What a descriptor or name stands for in a rewrite of sync/f.dat: "temporary", "file", "folder".
QString role(const QString &where, const QString &folder)
{
    if (where == folder)
        return QStringLiteral("folder");
    if (QFileInfo(where).path() != folder)
        return where;
    return QFileInfo(where).fileName().startsWith(QLatin1String(".pikazan-")) ? QStringLiteral("temporary") : QStringLiteral("file");
}
QString fdPath(int fd) { return QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(fd)).symLinkTarget(); }
} // namespace

void TestTextFile::rewriteSyncsBeforeAndAfterItsRename_data()
{
    // After a power cut in the seconds after a save, an empty settings or master password file (the
    // rename on disk, the data not) would mean "not set". failing: the call that fails with EIO.
    QTest::addColumn<bool>("oldFile");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QByteArray>("after");
    const QStringList all{"fdatasync temporary", "rename temporary file", "fsync folder"};
    QTest::newRow("new file") << false << "" << all << QByteArray("new\r\n");
    QTest::newRow("over an old file") << true << "" << all << QByteArray("new\r\n");
    QTest::newRow("data not synced: no rename") << true << "fdatasync" << QStringList{"fdatasync temporary"} << QByteArray("old\r\n");
    QTest::newRow("folder not synced: the save stands") << true << "fsync" << all << QByteArray("new\r\n");
}

void TestTextFile::rewriteSyncsBeforeAndAfterItsRename()
{
    QFETCH(bool, oldFile);
    QFETCH(QString, failing);
    QFETCH(QStringList, calls);
    QFETCH(QByteArray, after);
    QDir(path("sync")).removeRecursively();
    QVERIFY(QDir().mkpath(path("sync")));
    const QString folder = QFileInfo(path("sync")).canonicalFilePath();
    if (oldFile)
        put(path("sync/f.dat"), "old\r\n");
    QStringList seen;
    const auto result = [&](const char *call) {
        if (failing != QLatin1String(call))
            return 0;
        errno = EIO;
        return -1;
    };
    posixfile::testing::setSyscalls({
        [&](int fd) {
            seen << QStringLiteral("fdatasync ") + role(fdPath(fd), folder);
            return result("fdatasync") ? -1 : ::fdatasync(fd);
        },
        [&](int at, const char *from, const char *to) {
            const auto where = [&](const char *p) { return role(QFileInfo(QFile::decodeName(p)).absoluteFilePath(), folder); };
            seen << QStringLiteral("rename %1 %2").arg(where(from), where(to));
            return ::renameat(at, from, at, to);
        },
        [&](int fd) {
            seen << QStringLiteral("fsync ") + role(fdPath(fd), folder);
            return result("fsync") ? -1 : ::fsync(fd);
        },
    });
    bool threw = false;
    try {
        textfile::rewrite(folder + QStringLiteral("/f.dat"), {QStringLiteral("new")});
    } catch (const pz::IoError &e) {
        threw = true;
        QCOMPARE(e.reason(), pz::reasonFor(EIO));
    }
    posixfile::testing::setSyscalls({});
    QCOMPARE(seen, calls);
    QCOMPARE(threw, failing == QLatin1String("fdatasync"));
    QCOMPARE(bytesOf(path("sync/f.dat")), oldFile || !threw ? after : QByteArray("<missing>"));
    QCOMPARE(entries(path("sync")), QStringList{"f.dat"}); // no temporary left either way
}

// What each write the system is asked for does: "+n" writes at most n bytes, "0" writes nothing (a
// full disk, for some file systems), "EINTR" / "EIO" fail with that errno.
void TestTextFile::writeAllWrites_data()
{
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<int>("at");            // -1: at the file's position
    QTest::addColumn<int>("result");        // writeAll's errno
    QTest::addColumn<QByteArray>("file");   // the file after it, which held "......"
    QTest::addColumn<int>("calls");

    QTest::newRow("one write") << QStringList{"+9"} << -1 << 0 << QByteArray("abcd..") << 1;
    QTest::newRow("short writes go on where they stopped") << QStringList{"+1", "+2", "+9"} << -1 << 0 << QByteArray("abcd..") << 3;
    QTest::newRow("short writes at an offset") << QStringList{"+3", "+9"} << 2 << 0 << QByteArray("..abcd") << 2;
    QTest::newRow("an interrupted write is tried again") << QStringList{"EINTR", "+9"} << -1 << 0 << QByteArray("abcd..") << 2;
    QTest::newRow("a write that writes nothing is a full disk") << QStringList{"+1", "0", "+9"} << -1 << ENOSPC << QByteArray("a.....") << 2;
    QTest::newRow("a failed write says why") << QStringList{"+2", "EIO", "+9"} << 1 << EIO << QByteArray(".ab...") << 2;
}

void TestTextFile::writeAllWrites()
{
    QFETCH(QStringList, writes);
    QFETCH(int, at);
    QFETCH(int, result);
    QFETCH(QByteArray, file);
    QFETCH(int, calls);
    put(path("w.dat"), "......");
    posixfile::Fd fd(::open(posixfile::native(path("w.dat")).constData(), O_WRONLY | O_CLOEXEC));
    QVERIFY(fd.get() >= 0);
    int call = 0;
    posixfile::testing::Syscalls seam;
    seam.write = [&](int f, const char *data, size_t size, off_t where) -> ssize_t {
        const QString w = call < writes.size() ? writes[call] : QStringLiteral("EIO");
        ++call;
        if (w.startsWith(QLatin1Char('+'))) {
            const size_t n = std::min(size, size_t(w.mid(1).toInt()));
            return where < 0 ? ::write(f, data, n) : ::pwrite(f, data, n, where);
        }
        errno = w == QLatin1String("EINTR") ? EINTR : EIO;
        return w == QLatin1String("0") ? 0 : -1;
    };
    posixfile::testing::setSyscalls(seam);
    const int got = posixfile::writeAll(fd.get(), QByteArray("abcd"), at);
    posixfile::testing::setSyscalls({});
    QCOMPARE(got, result);
    QCOMPARE(call, calls);
    fd.reset();
    QCOMPARE(bytesOf(path("w.dat")), file);
}

void TestTextFile::appendShortWriteCutsBack()
{
    // Room for 10 more bytes: a 26-byte drill line would be torn and the next one glued onto it.
    const QByteArray history = "head\r\n\x82\x50\x82\x4f\x8b\x89,2004/7/05,9,1,\x8d\x87\x8a\x69\r\n";
    put(path("full.dat"), history);
    try {
        FileSizeLimit limit(rlim_t(history.size() + 10));
        textfile::appendLine(path("full.dat"), QStringLiteral("１０級,2024/5/07,10,0,合格"));
        QFAIL("a torn line was reported as success");
    } catch (const pz::IoError &e) {
        QCOMPARE(e.reason(), QStringLiteral("ファイルの大きさの上限をこえるので、書き込めません。"));
    }
    QCOMPARE(bytesOf(path("full.dat")), history);
    // And once there is room again, the next line lands whole on a clean line end.
    textfile::appendLine(path("full.dat"), QStringLiteral("x"));
    QCOMPARE(bytesOf(path("full.dat")), history + "x\r\n");
}

void TestTextFile::createNewShortWriteRemovesItsFile()
{
    QVERIFY(QDir().mkpath(path("new")));
    try {
        FileSizeLimit limit(3);
        textfile::createNew(path("new/n.dat"), {QStringLiteral("級/段,日付,正解数,不正解数,合否")});
        QFAIL("a short write was reported as success");
    } catch (const pz::IoError &) {
    }
    QCOMPARE(entries(path("new")), QStringList());
}

void TestTextFile::appendEndsTheLastLineFirst_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("ends with CR LF") << QByteArray("head\r\n") << QByteArray("head\r\nline\r\n");
    QTest::newRow("last line without an end") << QByteArray("head\r\n１０級,202") << QByteArray("head\r\n１０級,202\r\nline\r\n");
    QTest::newRow("torn after the CR") << QByteArray("head\r") << QByteArray("head\r\nline\r\n");
    QTest::newRow("LF line ends are ends") << QByteArray("head\n") << QByteArray("head\nline\r\n");
    QTest::newRow("NULs of a power cut") << QByteArray("head\r\nx\0\0", 9) << QByteArray("head\r\nx\0\0\r\nline\r\n", 17);
    QTest::newRow("empty file") << QByteArray() << QByteArray("line\r\n");
}

void TestTextFile::appendEndsTheLastLineFirst()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    put(path("tail.dat"), before);
    textfile::appendLine(path("tail.dat"), QStringLiteral("line"));
    QCOMPARE(bytesOf(path("tail.dat")), after);
    const QStringList lines = textfile::readLines(path("tail.dat"));
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.last(), QStringLiteral("line"));
}

void TestTextFile::notRegularFiles_data()
{
    QTest::addColumn<QString>("target"); // what stands where the file should be
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder") << "folder" << pz::reasonFor(EISDIR);
    // A link is refused as such, before what it points to is opened.
    QTest::newRow("/dev/null behind a link") << "/dev/null" << pz::reason::isLink();
    QTest::newRow("/dev/zero behind a link: never read for ever") << "/dev/zero" << pz::reason::isLink();
}

void TestTextFile::notRegularFiles()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
    const QString p = path("odd/settei.dat");
    QDir(path("odd")).removeRecursively();
    QVERIFY(QDir().mkpath(path("odd")));
    if (target == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(p));
    else
        QVERIFY(QFile::link(target, p));
    for (int op = 0; op < 3; ++op) {
        try {
            if (op == 0)
                textfile::readLines(p, 60);
            else if (op == 1)
                textfile::appendLine(p, QStringLiteral("x"));
            else
                textfile::rewrite(p, {QStringLiteral("x")});
            QFAIL(qPrintable(QStringLiteral("operation %1 used a %2").arg(op).arg(target)));
        } catch (const pz::IoError &e) {
            QCOMPARE(e.reason(), reason);
            QVERIFY(e.text().contains(p));
        }
    }
    QCOMPARE(QFileInfo(p).isDir(), target == QLatin1String("folder"));
    QCOMPARE(QFileInfo(p).isSymLink(), target != QLatin1String("folder"));
}

void TestTextFile::fifoNeverWaitedOn()
{
    const QString p = path("fifo.psw");
    QVERIFY(::mkfifo(QFile::encodeName(p).constData(), 0644) == 0);
    std::atomic<bool> done{false};
    std::thread unblock = unblockFifoLater(QFile::encodeName(p), done);
    QElapsedTimer waited;
    waited.start();
    bool refused = false;
    try {
        textfile::readFirstLine(p);
    } catch (const pz::IoError &e) {
        refused = e.reason() == pz::reason::notRegular();
    }
    const qint64 ms = waited.elapsed();
    done = true;
    unblock.join();
    QVERIFY2(refused, "a FIFO was read as a file");
    QVERIFY2(ms < 2000, qPrintable(QStringLiteral("the open waited %1 ms for a writer").arg(ms)));
}

void TestTextFile::sizeLimit()
{
    // A history or settings file is small; one of more than the limit is damage, not something
    // to read into memory. Only what was asked for is read from a large one.
    const QString p = path("huge.dat");
    put(p, "1\r\n2\r\n");
    QVERIFY(QFile::resize(p, textfile::kMaxBytes + 1));
    QCOMPARE(textfile::readLines(p, 2), (QStringList{"1", "2"}));
    try {
        textfile::readLines(p);
        QFAIL("read a file above the size limit whole");
    } catch (const pz::IoError &e) {
        QCOMPARE(e.reason(), pz::reason::tooLarge());
    }
    QVERIFY(QFile::resize(p, textfile::kMaxBytes));
    QCOMPARE(textfile::readLines(p), (QStringList{"1", "2"})); // the NULs of the rest are dropped
}

void TestTextFile::refusedLinks()
{
    put(path("outside.txt"), "outside\r\n");
    QVERIFY(QDir().mkpath(path("store")));
    QVERIFY(QFile::link(path("outside.txt"), path("store/evil.dat")));
    const QString p = path("store/evil.dat");
    using textfile::Links;
    QVERIFY_THROWS_EXCEPTION(pz::IoError, textfile::readLines(p, -1, Links::Refuse));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, textfile::readFirstLine(p, Links::Refuse));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, textfile::appendLine(p, QStringLiteral("x"), Links::Refuse));
    try {
        textfile::rewrite(p, {QStringLiteral("x")}, Links::Refuse);
        QFAIL("wrote through a refused link");
    } catch (const pz::IoError &e) {
        QCOMPARE(e.reason(), pz::reason::isLink());
    }
    QCOMPARE(bytesOf(path("outside.txt")), QByteArray("outside\r\n"));
    QVERIFY(QFileInfo(p).isSymLink());
    // createNew never follows a link, not even a dangling one.
    QVERIFY(QFile::link(path("nowhere.txt"), path("store/dangling.dat")));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, textfile::createNew(path("store/dangling.dat"), {QStringLiteral("x")}));
    QVERIFY(!QFileInfo::exists(path("nowhere.txt")));
}

void TestTextFile::reasonsInJapanese_data()
{
    QTest::addColumn<int>("errnum");
    for (int e : {ENOSPC, EDQUOT, EACCES, EPERM, EROFS, ENOENT, EISDIR, ENOTDIR, EEXIST, ELOOP, ENXIO, EFBIG, EIO, ESTALE})
        QTest::newRow(qPrintable(QString::fromLocal8Bit(strerror(e)))) << e;
}

void TestTextFile::reasonsInJapanese()
{
    // What a classroom meets is said in Japanese, never in the system's English ("Unknown error").
    QFETCH(int, errnum);
    const QString r = pz::reasonFor(errnum);
    QVERIFY(!r.isEmpty());
    for (QChar c : r)
        QVERIFY2(c.unicode() >= 0x3000 || !c.isLetter(), qPrintable(r));
    QVERIFY(!r.contains(QString::fromLocal8Bit(strerror(errnum))));
}

void TestTextFile::quotedTextIsCut()
{
    // A settings file with CR-only line ends reads as one long line; quoted whole it made a box
    // taller than the screen.
    const QString crOnly = QStringLiteral("1\r4\r4\r").repeated(20);
    const QString q = pz::quoted(crOnly);
    QCOMPARE(q.size(), 41);
    QVERIFY(q.endsWith(QChar(0x2026)));
    QVERIFY(!q.contains(QLatin1Char('\r')));
    QVERIFY(pz::ConversionError(crOnly).text().size() < 70);
    QCOMPARE(pz::quoted(QStringLiteral("4.5")), QStringLiteral("4.5"));
    // Never half of a surrogate pair at the cut.
    const QString emoji = QString(39, QLatin1Char('a')) + QStringLiteral("😀😀");
    QCOMPARE(pz::quoted(emoji), QString(39, QLatin1Char('a')) + QChar(0x2026));
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_core_textfile.moc"

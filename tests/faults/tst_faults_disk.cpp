// The program on a full disk: a small tmpfs mounted over a classroom's user or settings folder and
// filled until a chosen number of bytes is free. Needs root to mount; skipped with the reason
// otherwise.
#include "faultsupport.h"
#include "support/testmain.h"

#include "drill/kotae.h"
#include "base/errors.h"
#include "platform/textfile.h"
#include "settings/rand.h"
#include "kit/CuteBtn.h"
#include "shell/main.h"
#include "users/regist.h"
#include "users/userstore.h"

#include <QLineEdit>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

using testsupport::Program;
using testsupport::recorder;

namespace {
// What the error box adds when a drill's line could not be written: it waits in this account's state folder.
const QString kKeptAside = QStringLiteral("\nこの記録はとっておき、次に書き込めるときに書き込みます。");
const QString kNoSpace = QStringLiteral("ディスクの空きが足りません。");

// A tmpfs of 64 KiB over folder, holding what the folder held. Unmounted by its destructor.
class SmallDisk {
public:
    explicit SmallDisk(const QString &folder) : folder_(folder)
    {
        QMap<QString, QByteArray> kept;
        for (const QString &f : QDir(folder).entryList(QDir::Files))
            kept[f] = faults::readBytes(folder + QLatin1Char('/') + f);
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
            error_ = QString::fromLocal8Bit(strerror(errno));
            return;
        }
        mounted_ = true;
        for (auto it = kept.cbegin(); it != kept.cend(); ++it)
            faults::writeBytes(folder + QLatin1Char('/') + it.key(), it.value());
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString error() const { return error_; }

    // Fills the disk with a filler file until exactly freeBytes (a multiple of the page size)
    // are free.
    bool leaveFree(qint64 freeBytes)
    {
        const QByteArray filler = QFile::encodeName(folder_ + QStringLiteral("/.filler"));
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            return false;
        const QByteArray page(4096, 'f');
        qint64 size = 0;
        while (::write(fd, page.constData(), size_t(page.size())) == page.size())
            size += page.size();
        // A write that fell short leaves a partly filled page; count whole pages only.
        const bool ok = ::ftruncate(fd, off_t(size - freeBytes)) == 0;
        ::close(fd);
        return ok && free() == freeBytes;
    }
    void makeRoom() { QFile::remove(folder_ + QStringLiteral("/.filler")); }
    qint64 free() const
    {
        struct statvfs st {};
        ::statvfs(QFile::encodeName(folder_).constData(), &st);
        return qint64(st.f_bavail) * qint64(st.f_frsize);
    }

private:
    QString folder_;
    bool mounted_ = false;
    QString error_;
};

#define MOUNT_OR_SKIP(disk)                                                                     \
    if (!faults::isRoot())                                                                      \
        QSKIP("mounting a small tmpfs needs root; run the fault suite as root for the full-disk cases"); \
    if (!(disk).mounted())                                                                      \
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + (disk).error()));

QStringList names(const QString &dir)
{
    QStringList l = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    l.removeAll(QStringLiteral(".filler"));
    return l;
}
} // namespace

class TestFullDisk : public QObject {
    Q_OBJECT
private slots:
    void registrationWithOnePageFree();
    void drillLineWithTenBytesLeft();
    void lastLineUnendedOnAFullDisk();
    void settingsSaveOnAFullDisk();
    void pastTheFileSizeLimit_data();
    void pastTheFileSizeLimit();
};

void TestFullDisk::registrationWithOnePageFree()
{
    // Two pages: one for the folder's lock file, one for the history file; the password file
    // does not fit. The child must not be told "登録しました" with an empty password file
    // behind it (which let an empty password in).
    Program p;
    SmallDisk disk(p.path(QStringLiteral("user")));
    MOUNT_OR_SKIP(disk);
    QVERIFY(disk.leaveFree(2 * 4096));
    TForm7 *f = p.screens().registration;
    p.screens().mainMenu->Show();
    f->Show();
    recorder().clear();
    f->Edit1->setText(QStringLiteral("はなこ"));
    f->Edit2->setText(QStringLiteral("hana"));
    QTest::mouseClick(f->CuteButton1, Qt::LeftButton);

    QCOMPARE(recorder().texts().size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QCOMPARE(recorder().boxes[0].text, QStringLiteral("ファイル user/はなこ.psw を使えません。\n") + kNoSpace);
    QVERIFY(f->isVisible());
    QCOMPARE(f->Edit2->text(), QStringLiteral("hana")); // kept for a second try
    QCOMPARE(names(p.path(QStringLiteral("user"))), QStringList{QStringLiteral("master.psw")});
    QCOMPARE(userstore::listUsers(), QStringList());

    // With room again, the same registration goes through.
    disk.makeRoom();
    recorder().clear();
    QTest::mouseClick(f->CuteButton1, Qt::LeftButton);
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("登録しました")});
    QCOMPARE(userstore::readPassword(QStringLiteral("はなこ")), QStringLiteral("hana"));
    f->Close();
}

void TestFullDisk::drillLineWithTenBytesLeft()
{
    // A history of 4,086 bytes on a full disk: 10 bytes of its last page are free. A drill line
    // does not fit; it must not be torn there, with the next drill glued onto it.
    Program p;
    SmallDisk disk(p.path(QStringLiteral("user")));
    MOUNT_OR_SKIP(disk);
    QByteArray history = faults::headerBytes();
    const QByteArray line = textfile::encode(QStringLiteral("１０級,2024/5/07,9,1,合格")) + "\r\n";
    while (history.size() + line.size() <= 4086)
        history += line;
    history += QByteArray(4086 - history.size() - 2, 'x') + "\r\n"; // a line of padding, whole
    QCOMPARE(history.size(), 4086);
    faults::writeBytes(p.path(QStringLiteral("user/たろう.dat")), history);
    faults::writeBytes(p.path(QStringLiteral("user/たろう.psw")), "pw\r\n");
    QVERIFY(disk.leaveFree(0));

    // Through the real result sheet, as a drill ends.
    TForm4 *sheet = p.screens().resultSheet;
    SharedState &s = p.state();
    s.userName = QStringLiteral("たろう");
    s.gradeName = QStringLiteral("１０級");
    testsupport::playDrill(s, QList<int>(10, 5), QStringList(10, QStringLiteral("5")), QDate(2024, 5, 7));
    sheet->setDateSource([] { return QDate(2024, 5, 7); });
    sheet->Show();
    sheet->startFill();
    QTRY_VERIFY_WITH_TIMEOUT(!sheet->Timer1->isActive(), 10000);
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("ファイル user/たろう.dat を使えません。\n") + kNoSpace + kKeptAside});
    QCOMPARE(faults::readBytes(p.path(QStringLiteral("user/たろう.dat"))), history);
    sheet->Close();

    // Once there is room, the next drill lands whole on its own line.
    disk.makeRoom();
    userstore::appendDrill(QStringLiteral("たろう"), QStringLiteral("９級,2024/5/08,10,0,合格"));
    QCOMPARE(faults::readBytes(p.path(QStringLiteral("user/たろう.dat"))),
             history + textfile::encode(QStringLiteral("９級,2024/5/08,10,0,合格")) + "\r\n");
}

void TestFullDisk::lastLineUnendedOnAFullDisk()
{
    // The line end that is owed to a torn last line does not fit either: the file stays as it was.
    Program p;
    SmallDisk disk(p.path(QStringLiteral("user")));
    MOUNT_OR_SKIP(disk);
    const QByteArray torn = faults::headerBytes() + QByteArray(4096 - faults::headerBytes().size() - 1, 'y') + "z";
    faults::writeBytes(p.path(QStringLiteral("user/じろう.dat")), torn);
    QVERIFY(disk.leaveFree(0));
    try {
        userstore::appendDrill(QStringLiteral("じろう"), QStringLiteral("１級,2024/1/01,8,2,合格"));
        QFAIL("appended on a full disk");
    } catch (const pz::IoError &e) {
        QCOMPARE(e.reason(), kNoSpace);
    }
    QCOMPARE(faults::readBytes(p.path(QStringLiteral("user/じろう.dat"))), torn);
}

void TestFullDisk::settingsSaveOnAFullDisk()
{
    // The settings are rewritten whole; on a full disk the old file must stay as it was, and no
    // temporary may be left to fill the disk further.
    Program p;
    SmallDisk disk(p.path(QStringLiteral("settei")));
    MOUNT_OR_SKIP(disk);
    const QByteArray before = faults::readBytes(p.path(QStringLiteral("settei/settei.dat")));
    QVERIFY(disk.leaveFree(0));
    QStringList changed = settings::defaultSettingsLines();
    changed[0] = QStringLiteral("2");
    try {
        textfile::rewrite(settings::settingsPath(), changed);
        QFAIL("saved on a full disk");
    } catch (const pz::IoError &e) {
        QCOMPARE(e.text(), QStringLiteral("ファイル settei/settei.dat を使えません。\n") + kNoSpace);
    }
    QCOMPARE(faults::readBytes(p.path(QStringLiteral("settei/settei.dat"))), before);
    QCOMPARE(names(p.path(QStringLiteral("settei"))), QStringList{QStringLiteral("settei.dat")});
    QCOMPARE(ReadGradeDigits(10), 1);
}

void TestFullDisk::pastTheFileSizeLimit_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("file");  // the file the command writes, as the message names it
    QTest::addColumn<QByteArray>("old"); // its bytes before
    QTest::addColumn<int>("limit");      // the largest file the process may write
    QByteArray history = faults::headerBytes();
    for (int i = 0; i < 10; ++i)
        history += "\x82\x50\x82\x4f\x8b\x89,2024/5/07,10,0,\x8d\x87\x8a\x69\r\n"; // １０級,2024/5/07,10,0,合格
    // The lock's own file (some 100 bytes) fits under the limit; the line does not.
    QTest::newRow("a drill's line") << QStringList{"append", "taro", "９級,2024/5/08,9,1,合格"} << "user/taro.dat" << history
                                    << int(history.size() + 5);
    QTest::newRow("the settings") << QStringList{"save-settings"} << "settei/settei.dat" << QByteArray("3\r\n5\r\n8\r\n") << 100;
}

void TestFullDisk::pastTheFileSizeLimit()
{
    // ulimit -f in the account's session: the write stops part-way. The teacher is told of the
    // limit, not of a full disk (there is room on it); the old file stays whole, no temporary left.
    QFETCH(QStringList, command);
    QFETCH(QString, file);
    QFETCH(QByteArray, old);
    QFETCH(int, limit);
    QTemporaryDir room;
    const QString target = room.filePath(file);
    faults::writeBytes(room.filePath(QStringLiteral("user/master.psw")), "teacher\r\n");
    faults::writeBytes(room.filePath(QStringLiteral("user/taro.psw")), "pw\r\n");
    faults::writeBytes(target, old);
    const QStringList before = names(QFileInfo(target).path());

    faults::Helper h(room.path(), QStringList{"--file-size-limit", QString::number(limit)} + command);
    QCOMPARE(h.line(), QStringLiteral("error ファイル ") + file + QStringLiteral(" を使えません。\nファイルの大きさの上限をこえるので、書き込めません。"));
    QVERIFY(h.finished());
    QCOMPARE(faults::readBytes(target), old);
    QCOMPARE(names(QFileInfo(target).path()), before);
}

PZ_GUI_TEST_MAIN(TestFullDisk)
#include "tst_faults_disk.moc"

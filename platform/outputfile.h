#pragma once
// The teacher's own outputs (a CSV export, a certificate): files saved where the teacher chooses,
// never inside the classroom and never through a link.
//
// "Inside" is judged by the folders themselves, by device and inode: the target's folder and every
// folder above it are compared with the classroom folder and its user/, settei/ and wav/ (a second
// mount of the room, or a link to it, is the same folder). The file is written whole to a temporary
// beside it, synced, and only then renamed over the old one, so a failure leaves the old file as it
// was. It is the teacher's file: a new one gets what the umask gives, an old one keeps its mode.
// An old file is replaced only when it is one of the same kind (it starts as the program's own do):
// another room's history, a password or settings file, or anything else is left alone, named.
#include "base/classroom.h"

#include <QByteArray>
#include <QString>

namespace outputfile {

// Why `file` may not be written for this classroom, or an empty text when it may. With no classroom
// (a null one) every place is refused.
// ownStart: how every file of this kind the program writes begins ("%PDF-", a CSV's heading).
QString refusal(const Classroom &classroom, const QString &file, const QByteArray &ownStart);

// Writes `bytes` as `file`. Returns the refusal (nothing written), or an empty text once the file
// is in place; a failure of the file system throws IoError naming the file, the old file whole.
QString save(const Classroom &classroom, const QString &file, const QByteArray &bytes, const QByteArray &ownStart);

} // namespace outputfile

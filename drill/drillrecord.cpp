#include "drill/drillrecord.h"

#include "drill/drillsession.h"
#include "users/pending.h"
#include "users/userstore.h"

namespace drillrecord {
namespace {
void appendPaceLine(const DrillSession::Record &record)
{
    // Only beside a history line that landed. The pace file is no record: when it cannot be written
    // the drill goes on as if it had been, and the reason is left for whoever looks at the log.
    try {
        userstore::appendPace(record.user, record.paceLine);
    } catch (const pz::Error &e) {
        qWarning("pikazan: the pace line was not kept: %s", e.what());
    }
}
} // namespace

Said record(DrillSession &drill, Moment moment, std::function<void(const QString &message)> later)
{
    Said said;
    const std::optional<DrillSession::Record> record = drill.pendingRecord();
    if (record) {
        said.recorded = true;
        said.late = record->late;
        if (moment == Moment::WayOut)
            drill.markRecorded(); // whatever this attempt meets, the line is never tried twice
        bool appended = false;
        if (auto failed = pending::appendOrKeep(record->user, record->line, [&] {
                if (moment == Moment::WayOut) {
                    appended = userstore::appendDrillIfRegistered(record->user, record->line);
                    return;
                }
                userstore::appendDrill(record->user, record->line);
                appended = true;
            })) {
            // A line kept aside is recorded; one that could not be kept stays with the drill.
            if (failed->kept)
                drill.markRecorded();
            said.failed = failed->error;
            return said;
        }
        drill.markRecorded();
        if (appended)
            appendPaceLine(*record);
    } else if (moment == Moment::Sheet) {
        return said;
    }
    // The folder takes lines again: what was kept aside here follows.
    if (moment == Moment::Sheet)
        pending::flushHereInSteps(later ? std::move(later) : [](const QString &) {});
    else
        said.kept = pending::flushHere();
    return said;
}

} // namespace drillrecord

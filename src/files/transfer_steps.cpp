#include "files/transfer_steps.h"

#include "base/language_table.h"
#include "link/debug_log.h"
#include "link/loader_commands.h"
#include "link/loader_upload.h"

namespace qv {

ResultCode prepareLoader(PhoneLink& link, TaskKind kind) {
    if (const ResultCode rc = uploadLoader(link); rc != rcOk || link.task.aborted()) return rc == rcOk ? rcAborted : rc;
    writeLog("Init OK");
    link.bar().setText(langText("050"));
    if (link.workingSpeed != 28800) {
        if (const ResultCode rc = speedSwitch(link); rc != rcOk || link.task.aborted()) return rc == rcOk ? rcAborted : rc;
    }
    if (kind == TaskKind::Read) writeLog("Init Add OK");
    if (link.workingSpeed != 28800 || kind == TaskKind::Read) {
        if (const ResultCode rc = link.port.setWorkingSpeed(link.workingSpeed); rc != rcOk) return rc;
        versionDisplay(link);
        if (link.task.aborted()) return rcAborted;
    }
    writeLog("Init For Write");
    if (kind != TaskKind::Restore) writeLog("Begin read pictures...");
    return rcOk;
}

ResultCode failTask(PhoneLink& link, ResultCode rc) {
    if (link.port.isOpen()) link.port.close();  // a stopped task never leaves the port open
    link.bar().setText(langText("049") + QLatin1Char(' ') +
                       (link.failureDetail.isEmpty() ? resultMessage(rc) : link.failureDetail));
    return link.task.aborted() ? rcAborted : rc;
}

QString itemProgressText(const char* labelKey, int k, int total) {
    return langText(labelKey) + QLatin1Char(' ') + QString::number(k) + langText("052") + QLatin1Char(' ') +
           QString::number(total);
}

}  // namespace qv

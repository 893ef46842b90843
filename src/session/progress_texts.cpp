#include "session/progress_texts.h"

#include "base/language_table.h"
#include "image/media_image.h"

namespace qv {
namespace {

TextKey readingLabel(int table) {
    switch (table) {
    case kPictureTable: return Text::ReadingPictures;
    case kMelodyTable: return Text::ReadingMelodies;
    case kOperatorTable: return Text::ReadingOperatorsList;
    default: return Text::ReadingStrings;
    }
}

TextKey writingLabel(int table) {
    switch (table) {
    case kPictureTable: return Text::WritingPictures;
    case kMelodyTable: return Text::WritingMelodies;
    case kOperatorTable: return Text::WritingOperatorsList;
    default: return Text::WritingStrings;
    }
}

// "Reading pictures - 3 of 120"
QString itemText(const QString& label, int k, int total) {
    return label + QLatin1Char(' ') + QString::number(k) + langText(Text::OfCount) + QLatin1Char(' ') + QString::number(total);
}

}  // namespace

QString stageText(const ProgressEvent& event) {
    if (event.kind != ProgressEvent::Kind::Stage) return {};
    switch (event.stage) {
    case ProgressStage::ConnectCable: return langText(Text::ConnectCableHoldPower);
    case ProgressStage::WaitingForPhone: return langText(Text::WaitingForPhone);
    case ProgressStage::SendingLoader: return langText(Text::SendingLoader);
    case ProgressStage::LoaderAccepted: return langText(Text::ResponseAccepted);
    case ProgressStage::Reading: return itemText(langText(readingLabel(event.table)), event.item, event.total);
    case ProgressStage::Writing: return itemText(langText(writingLabel(event.table)), event.item, event.total);
    case ProgressStage::WritingPatch: return langText(Text::WritingPatch);
    case ProgressStage::WriteEnded: return langText(Text::WritingCompleted);
    // The language table has no text for the read-back.
    case ProgressStage::Verifying: return itemText(QStringLiteral("Checking what was written -"), event.item, event.total);
    case ProgressStage::Completed: return langText(Text::TaskCompleted);
    case ProgressStage::Stopped: return langText(Text::AbortedPrefix) + QLatin1Char(' ') + event.result.message();
    }
    return {};
}

void ProgressTexts::report(const ProgressEvent& event) {
    switch (event.kind) {
    case ProgressEvent::Kind::Stage:
        if (event.stage == ProgressStage::Completed) setButtonCaption(langText(Text::CloseButton));
        setText(stageText(event));
        break;
    case ProgressEvent::Kind::Bar:
        setPosition(event.position);
        if (event.maximum >= 0) setMaximum(event.maximum);
        break;
    case ProgressEvent::Kind::Version:
        setVersionLine(event.version, !event.version.isEmpty());
        break;
    case ProgressEvent::Kind::Outcome:
        setButtonCaption(langText(Text::CloseButton));
        if (event.result.ok()) {
            setText(langText(Text::OperationCompleted));
        } else if (event.result.aborted()) {
            setText(langText(Text::OperationAborted));
        } else {
            setText(langText(Text::ErrorOccurred));
            showError(event.result.message(), langText(Text::ErrorPrefix));
        }
        break;
    }
}

}  // namespace qv

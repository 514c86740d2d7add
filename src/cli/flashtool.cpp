#include "flashtool.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <istream>
#include <ostream>

#include "flashtexts.h"
#include "imageheader.h"
#include "progressline.h"
#include "textcatalogue.h"
#include "tracefile.h"
#include "tracingusb.h"
#include "versiontext.h"

namespace zelmark {

namespace {

using namespace flashtext;

// The tool writes UTF-8.
std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}

QString hex4(unsigned value) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(4, u'0');
}

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QString modelText(std::uint16_t model) {
    return model == ZelmarkModelCode ? qs(ModelText(model)) + QStringLiteral(" (%1)").arg(model)
                                     : QString::number(model);
}

const char* verdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Ready:
            return "ready";
        case Verdict::WrongFirmware:
            return "wrong-updater";
        case Verdict::WrongSubmodel:
            return "wrong-submodel";
        case Verdict::WrongModel:
            return "wrong-model";
    }
    return "unknown";
}

const Sentence& statusWords(SiStatus status) {
    switch (status) {
        case SiDeviceNotFound:
            return StatusNotFound;
        case SiIoFailed:
            return StatusIoFailed;
        case SiAccessDenied:
            return StatusAccessDenied;
        case SiDeviceBusy:
            return StatusBusy;
        case SiSeveralDevices:
            return StatusSeveral;
        default:
            return StatusOther;
    }
}

// Why a file could not be written, in the tool's language where it knows the words.
QString fileError(int error, std::uint8_t language) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return say(ErrorNoEntry, language);
        case EACCES:
        case EPERM:
            return say(ErrorAccess, language);
        case EISDIR:
            return say(ErrorIsDirectory, language);
        case ENOSPC:
            return say(ErrorNoSpace, language);
        case EROFS:
            return say(ErrorReadOnly, language);
        case EDQUOT:
            return say(ErrorQuota, language);
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}

// A usage error is one line and where to read more, not the whole help that would scroll it away.
int usageError(std::ostream& err, QJsonObject& report, const QString& message,
               std::uint8_t language) {
    err << "zelmark-flash: " << message << "\n" << say(SeeHelp, language) << "\n";
    report[QStringLiteral("error")] = QStringLiteral("usage");
    report[QStringLiteral("message")] = message;
    return ExitUsage;
}

// After this long without the information reply the tool says that it is waiting: a device
// that answers does so within a few hundred milliseconds.
constexpr std::uint64_t WaitingNoticeAfterUs = 1000000;

class Flash {
public:
    Flash(const FlashOptions& options, FlashEnvironment& env)
        : options_(options), env_(env), language_(options.language) {}

    int run() {
        int code = execute();
        if (!options_.traceFile.empty()) {
            code = closeTrace(code);
        }
        if (options_.json) {
            report_[QStringLiteral("exitCode")] = code;
            env_.out << QJsonDocument(report_).toJson(QJsonDocument::Compact).toStdString() << "\n";
        }
        return code;
    }

private:
    QString text(const Sentence& sentence) const { return say(sentence, language_); }
    QString where() const { return qs(device_.where); }

    // Says what went wrong and what to do about it, on standard error and in the JSON report.
    int fail(int code, const char* error, const QString& message, const QString& fix = {}) {
        env_.err << message << "\n";
        if (!fix.isEmpty()) {
            env_.err << fix << "\n";
        }
        report_[QStringLiteral("error")] = QString::fromLatin1(error);
        report_[QStringLiteral("message")] = message;
        if (!fix.isEmpty()) {
            report_[QStringLiteral("fix")] = fix;
        }
        return code;
    }

    // With --json, standard output holds the report alone: the prompt, the progress and the
    // closing lines of an update go to standard error.
    std::ostream& talk() { return options_.json ? env_.err : env_.out; }

    int interruptedNothingSent() {
        return fail(ExitInterrupted, "interrupted", text(InterruptedNothingSent));
    }

    int execute() {
        if (options_.command == "image") {
            return image();
        }
        // Before anything touches the device: a script that forgot --yes learns it at once.
        if (options_.command == "update" && !options_.yes && !env_.inIsTerminal) {
            return usageError(env_.err, report_, text(NeedsYes), language_);
        }
        if (!options_.traceFile.empty()) {
            if (const int error = trace_.open(options_.traceFile); error != 0) {
                const QString path = qs(options_.traceFile);
                options_.traceFile.clear();  // nothing to close or to report at the end
                return fail(ExitUsage, "trace",
                            text(TraceCannotOpen).arg(path, fileError(error, language_)));
            }
        }
        if (options_.source == FlashOptions::Source::Port) {
            if (const int code = checkPort(); code != ExitSuccess) {
                return code;
            }
        }
        device_ = env_.openDevice(options_);
        UsbXpress* usb = device_.usb.get();
        if (!options_.traceFile.empty()) {
            tracer_ = std::make_unique<TracingUsb>(*usb, *device_.clock, trace_.stream());
            usb = tracer_.get();
        }
        link_ =
            std::make_unique<DeviceLink>(*usb, *device_.clock, embeddedImage(),
                                         LinkHooks{[this] { noticeWaiting(); }, env_.interrupted});
        std::uint32_t count = 0;
        if (usb->SI_GetNumDevices(&count) != SiSuccess) {
            return fail(ExitNoDevice, "no-device", text(NoDevice));
        }
        if (const int code = query(); code != ExitSuccess) {
            return code;
        }
        return options_.command == "info" ? info() : update();
    }

    int checkPort() {
        const QString port = qs(options_.port);
        const PortCheck check = env_.examinePort(options_.port);
        report_[QStringLiteral("device")] = port;
        switch (check.problem) {
            case PortCheck::Problem::None:
                return ExitSuccess;
            case PortCheck::Problem::Missing:
                return fail(ExitNoDevice, "port-missing", text(PortMissing).arg(port),
                            text(PortFix));
            case PortCheck::Problem::NotSerialPort:
                return fail(ExitNoDevice, "not-a-serial-port", text(NotSerialPort).arg(port),
                            text(PortFix));
            case PortCheck::Problem::Unreachable:
                return fail(ExitNoDevice, "port-unreachable",
                            text(PortUnreachable).arg(port, fileError(check.error, language_)),
                            text(PortFix));
        }
        return ExitSuccess;
    }

    int closeTrace(int code) {
        const int error = trace_.close();
        if (error == 0) {
            return code;
        }
        const QString message =
            text(TraceWriteFailed).arg(qs(options_.traceFile), fileError(error, language_));
        env_.err << message << "\n";
        report_[QStringLiteral("traceError")] = message;
        return code == ExitSuccess ? ExitTraceFailed : code;
    }

    // Labels are padded to one column for all rows of the language, at least the 19 characters
    // the English rows have always had.
    void row(const Sentence& label, const QString& value) {
        static constexpr const Sentence* labels[] = {
            &LabelDevice,         &LabelModel,    &LabelSerial,        &LabelCurrentVersion,
            &LabelCurrentUpdater, &LabelSubmodel, &LabelVerdict,       &LabelMainVersion,
            &LabelMainFirmware,   &LabelTarget,   &LabelMinimumUpdater};
        qsizetype column = 19;
        for (const Sentence* each : labels) {
            column = std::max(column, text(*each).size() + 1);
        }
        env_.out << text(label).leftJustified(column) << value << "\n";
    }

    int image() {
        const ImageBytes image = embeddedImage();
        const std::uint8_t mainFirmware = MainFirmwareVersion(image);
        const bool named = namesMainFirmwareVersion(mainFirmware);
        if (options_.json) {
            report_[QStringLiteral("model")] = ModelCode(image);
            report_[QStringLiteral("modelName")] = qs(ModelText(ModelCode(image)));
            report_[QStringLiteral("mainVersion")] = qs(VersionText(MainVersion(image)));
            report_[QStringLiteral("mainFirmware")] =
                named ? QJsonValue(qs(VersionText(mainFirmware))) : QJsonValue();
            report_[QStringLiteral("target")] = TargetCode(image);
            report_[QStringLiteral("submodel")] = Submodel(image);
            report_[QStringLiteral("minUpdaterVersion")] =
                qs(VersionText(MinUpdaterVersion(image)));
            return ExitSuccess;
        }
        QString target = TargetCode(image) == ZelmarkTargetCode ? QStringLiteral("Zelmark") : "";
        if (named) {
            target += QStringLiteral(" + Firmware");
        }
        const QString code =
            QStringLiteral("0x") +
            QString::number(TargetCode(image), 16).toUpper().rightJustified(2, u'0');
        row(LabelModel, modelText(ModelCode(image)));
        row(LabelMainVersion, qs(VersionText(MainVersion(image))));
        row(LabelMainFirmware, named ? qs(VersionText(mainFirmware)) : QStringLiteral("-----"));
        row(LabelTarget, code + (target.isEmpty() ? QString() : " (" + target + ")"));
        row(LabelSubmodel, QString::number(Submodel(image)));
        row(LabelMinimumUpdater, qs(VersionText(MinUpdaterVersion(image))));
        return ExitSuccess;
    }

    void noticeWaiting() {
        if (querying_ && !waitingShown_ &&
            device_.clock->nowUs() - queryStartUs_ >= WaitingNoticeAfterUs) {
            waitingShown_ = true;
            env_.err << text(Waiting).arg(protocol::CaptureSilenceLimitMs / 1000) << std::endl;
        }
    }

    int query() {
        MemoryReplyStore reply;
        QueryOutcome outcome = QueryOutcome::Read;
        querying_ = true;
        queryStartUs_ = device_.clock->nowUs();
        report_[QStringLiteral("device")] = where();
        try {
            outcome = link_->queryInformation(reply);
        } catch (const IoError&) {
            querying_ = false;
            if (env_.interrupted()) {
                return interruptedNothingSent();
            }
            if (reply.bytes().empty()) {
                return fail(ExitNoDevice, "no-answer", text(NoAnswer).arg(where()),
                            text(NoAnswerFix));
            }
            return fail(ExitUnreadableReply, "unreadable-reply",
                        text(UnreadableReply).arg(where()).arg(reply.bytes().size()));
        }
        querying_ = false;
        switch (outcome) {
            case QueryOutcome::NotOpened:
                return explainOpenFailure(link_->lastOpenStatus());
            case QueryOutcome::DeviceGone:
                return fail(ExitNoDevice, "device-gone", text(QueryGone).arg(where()),
                            text(QueryGoneFix));
            case QueryOutcome::Read:
                break;
        }
        if (env_.interrupted()) {
            return interruptedNothingSent();
        }
        info_ = link_->deviceInfo();
        verdict_ = link_->verdict();
        return ExitSuccess;
    }

    int explainOpenFailure(SiStatus status) {
        QString fix;
        switch (status) {
            case SiAccessDenied:
                fix = qs(catalogueText(TxtAccessDenied, language_));
                break;
            case SiDeviceBusy:
                fix = qs(catalogueText(TxtDeviceBusy, language_));
                break;
            case SiSeveralDevices:
                fix = qs(catalogueText(TxtSeveralDevices, language_));
                break;
            case SiDeviceNotFound:
                fix = text(NoDevice);
                break;
            default:
                fix = options_.source == FlashOptions::Source::Port ? text(PortFix)
                                                                    : text(QueryGoneFix);
                break;
        }
        report_[QStringLiteral("status")] = QString::fromLatin1(statusName(status));
        const Sentence& words = statusWords(status);
        const QString why = &words == &StatusOther ? text(words).arg(status) : text(words);
        return fail(ExitNoDevice, "cannot-open", text(CannotOpen).arg(where(), why), fix);
    }

    // Why the device is refused, with both values.
    QString refusalReason() const {
        const ImageBytes image = embeddedImage();
        switch (verdict_) {
            case Verdict::WrongModel:
                return text(OtherModel).arg(info_.model).arg(ModelCode(image));
            case Verdict::WrongFirmware:
                return text(OldUpdater)
                    .arg(qs(VersionText(info_.updaterVersion)),
                         qs(VersionText(MinUpdaterVersion(image))));
            case Verdict::WrongSubmodel:
                return text(OtherSubmodel).arg(info_.submodel).arg(Submodel(image));
            case Verdict::Ready:
                break;
        }
        return {};
    }

    void reportInfo() {
        const QString current = info_.currentVersion == CorruptVersion
                                    ? QStringLiteral("Corrupt")
                                    : qs(VersionText(info_.currentVersion));
        report_[QStringLiteral("model")] = info_.model;
        report_[QStringLiteral("serial")] = info_.serial;
        report_[QStringLiteral("currentVersion")] = current;
        report_[QStringLiteral("updaterVersion")] = qs(VersionText(info_.updaterVersion));
        report_[QStringLiteral("submodel")] = info_.submodel;
        report_[QStringLiteral("verdict")] = QString::fromLatin1(verdictName(verdict_));
        report_[QStringLiteral("fits")] = verdict_ == Verdict::Ready;
        if (verdict_ != Verdict::Ready) {
            report_[QStringLiteral("refusal")] = refusalReason();
        }
    }

    void printInfo() {
        const QString current = info_.currentVersion == CorruptVersion
                                    ? text(Corrupt)
                                    : qs(VersionText(info_.currentVersion));
        row(LabelDevice, where());
        row(LabelModel, modelText(info_.model));
        row(LabelSerial, QString::number(info_.serial));
        row(LabelCurrentVersion, current);
        row(LabelCurrentUpdater, qs(VersionText(info_.updaterVersion)));
        row(LabelSubmodel, QString::number(info_.submodel));
        row(LabelVerdict, verdict_ == Verdict::Ready
                              ? text(Fits).arg(qs(VersionText(MainVersion(embeddedImage()))))
                              : text(RefusedValue).arg(refusalReason()));
    }

    int info() {
        reportInfo();
        if (!options_.json) {
            printInfo();
        }
        return ExitSuccess;
    }

    // Standard input is a terminal here. A Ctrl-C ends the wait for the answer: the read is not
    // restarted after the signal.
    bool confirmed(std::ostream& prompt) {
        if (options_.yes) {
            return true;
        }
        prompt << text(Confirm) << std::flush;
        std::string answer;
        if (env_.interrupted() || !std::getline(env_.in, answer)) {
            prompt << "\n";
            return false;
        }
        return !answer.empty() &&
               (answer[0] == 'y' || answer[0] == 'Y' || answer[0] == 'j' || answer[0] == 'J');
    }

    class Progress;

    int update();
    int transferEnded(const TransferResult& result, double seconds);

private:
    FlashOptions options_;
    FlashEnvironment& env_;
    std::uint8_t language_;
    QJsonObject report_;
    TraceFile trace_;
    FlashDevice device_;
    std::unique_ptr<TracingUsb> tracer_;
    std::unique_ptr<DeviceLink> link_;
    bool querying_ = false;
    bool waitingShown_ = false;
    std::uint64_t queryStartUs_ = 0;
    DeviceInfo info_;
    Verdict verdict_ = Verdict::Ready;
};

// On a terminal one line redrawn in place, never wider than the terminal; elsewhere a line every
// ten blocks.
class Flash::Progress final : public TransferObserver {
public:
    Progress(std::ostream& out, bool terminal, const std::function<unsigned()>& columns,
             Clock& clock, std::uint8_t language)
        : out_(out),
          terminal_(terminal),
          columns_(columns),
          clock_(clock),
          language_(language),
          startUs_(clock.nowUs()) {}

    void frameAcknowledged(const TransferProgress& p) override {
        if (terminal_) {
            const unsigned width = columns_();
            const QString line = progressLine(p, elapsedS(), language_, width);
            // Blanks over what is left of a longer line before, never up to the last column.
            const qsizetype room = static_cast<qsizetype>(width) - 1 - line.size();
            const qsizetype blanks =
                std::clamp<qsizetype>(drawn_ - line.size(), 0, std::max<qsizetype>(room, 0));
            drawn_ = line.size();
            out_ << "\r" << line + QString(blanks, u' ') << std::flush;
        } else if (p.frame % 10 == 0 || p.frame == TransferFrameCount) {
            // A log behind a pipe sees each line at once.
            out_ << progressLine(p, elapsedS(), language_) << std::endl;
        }
    }
    void finish() {
        if (terminal_ && drawn_ > 0) {
            out_ << "\n";
        }
    }
    double elapsedS() const { return static_cast<double>(clock_.nowUs() - startUs_) / 1e6; }

private:
    std::ostream& out_;
    bool terminal_;
    const std::function<unsigned()>& columns_;
    Clock& clock_;
    std::uint8_t language_;
    std::uint64_t startUs_;
    qsizetype drawn_ = 0;
};

int Flash::update() {
    reportInfo();
    if (!options_.json) {
        printInfo();
    }
    if (verdict_ != Verdict::Ready) {
        report_[QStringLiteral("outcome")] = QStringLiteral("refused");
        return fail(ExitRefused, "refused", text(RefusedLine).arg(refusalReason()),
                    text(NothingSent));
    }
    std::ostream& talk = this->talk();
    if (!confirmed(talk)) {
        report_[QStringLiteral("outcome")] = QStringLiteral("declined");
        if (env_.interrupted()) {
            return interruptedNothingSent();
        }
        return fail(ExitInterrupted, "declined", text(NothingSent));
    }
    if (env_.interrupted()) {
        report_[QStringLiteral("outcome")] = QStringLiteral("declined");
        return interruptedNothingSent();
    }

    Progress progress(talk, options_.json ? env_.errIsTerminal : env_.outIsTerminal, env_.columns,
                      *device_.clock, language_);
    const TransferResult result = link_->sendFirmware(progress);
    progress.finish();
    return transferEnded(result, progress.elapsedS());
}

int Flash::transferEnded(const TransferResult& result, double seconds) {
    const TransferProgress& at = result.progress;
    const char* outcomes[] = {"not-opened", "completed", "failed", "interrupted"};
    report_[QStringLiteral("outcome")] =
        QString::fromLatin1(outcomes[static_cast<int>(result.outcome)]);
    const unsigned acknowledged = result.outcome == TransferOutcome::Completed ? TransferFrameCount
                                  : result.outcome == TransferOutcome::Failed  ? at.frame - 1
                                                                               : at.frame;
    report_[QStringLiteral("frames")] = static_cast<int>(acknowledged);
    report_[QStringLiteral("resends")] = static_cast<int>(at.resends);
    report_[QStringLiteral("bytes")] = static_cast<qint64>(at.byteCounter);
    report_[QStringLiteral("seconds")] = std::round(seconds * 1000.0) / 1000.0;

    switch (result.outcome) {
        case TransferOutcome::Completed:
            talk() << text(Done)
                          .arg(at.byteCounter)
                          .arg(decimal(seconds, 1, language_))
                          .arg(at.resends)
                   << "\n"
                   << qs(catalogueText(TxtRemoveCable, language_)) << "\n";
            return ExitSuccess;
        case TransferOutcome::NotOpened:
            return explainOpenFailure(result.lastStatus);
        case TransferOutcome::Stopped:
            if (at.frame == 0) {
                return fail(ExitInterrupted, "interrupted", text(InterruptedBeforeFirstBlock),
                            text(TransferAdvice));
            }
            return fail(
                ExitInterrupted, "interrupted",
                text(InterruptedAfter).arg(blockName(at.frame, language_), hex4(at.flashAddress)),
                text(TransferAdvice));
        case TransferOutcome::Failed: {
            QString reason = result.reason == FailureReason::DeviceGone
                                 ? text(DeviceWentAway)
                                 : text(NoAck).arg(protocol::MaxFrameAttempts);
            if (result.reason == FailureReason::NoAcknowledge) {
                reason += result.lastReply < 0 ? text(NoReply)
                          : result.lastReply == protocol::Nak
                              ? text(LastReply).arg(QStringLiteral("NAK"))
                              : text(LastReply).arg(hex4(static_cast<unsigned>(result.lastReply)));
            }
            QJsonObject failure;
            failure[QStringLiteral("block")] = blockName(at.frame, LangEnglish);
            failure[QStringLiteral("frame")] = static_cast<int>(at.frame);
            failure[QStringLiteral("flashAddress")] = hex4(at.flashAddress);
            failure[QStringLiteral("reason")] = result.reason == FailureReason::DeviceGone
                                                    ? QStringLiteral("device-gone")
                                                    : QStringLiteral("no-acknowledge");
            report_[QStringLiteral("failure")] = failure;
            return fail(ExitTransferFailed, "transfer-failed",
                        text(TransferFailed)
                            .arg(blockName(at.frame, language_), hex4(at.flashAddress), reason),
                        text(TransferAdvice));
        }
    }
    return ExitTransferFailed;
}

}  // namespace

int runFlash(const std::vector<std::string>& args, FlashEnvironment& env) {
    FlashOptions options;
    if (const auto error = parseFlashOptions(args, options)) {
        QJsonObject report;
        const int code = usageError(env.err, report, *error, options.language);
        if (options.json) {
            report[QStringLiteral("exitCode")] = code;
            env.out << QJsonDocument(report).toJson(QJsonDocument::Compact).toStdString() << "\n";
        }
        return code;
    }
    if (options.help) {
        env.out << say(Usage, options.language);
        return ExitSuccess;
    }
    if (options.version) {
        env.out << "zelmark-flash " << ZELMARK_VERSION << " (firmware image "
                << VersionText(MainVersion(embeddedImage())) << ")\n";
        return ExitSuccess;
    }
    return Flash(options, env).run();
}

}  // namespace zelmark

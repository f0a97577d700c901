#include "store/job.h"

#include "store/fields.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cmath>

namespace vextrum {

namespace {

using D = JobDetail;
using G = JobGroup;
constexpr std::array<JobDetailInfo, kJobDetailCount> kJobDetails{{
    {D::ReportNumber, G::Report, "report_number", "Report number", "txtreportno", false},
    {D::Client, G::Object, "client", "Client", "txtclient", false},
    {D::Site, G::Object, "site", "Site", "txtsite", false},
    {D::Component, G::Object, "component", "Component / weld", "txtcomponent", false},
    {D::Material, G::Object, "material", "Material", "txtmaterial", false},
    {D::Thickness, G::Object, "thickness", "Thickness", "txtthickness", false},
    {D::Stage, G::Object, "stage", "Stage and surface", "txtstage", false},
    {D::Technique, G::Method, "technique", "Technique and standard", "txttechnique", false},
    {D::Acceptance, G::Method, "acceptance", "Acceptance level", "txtacceptance", false},
    {D::Sensitivity, G::Method, "sensitivity", "Sensitivity setting", "txtsensitivity", false},
    {D::Instrument, G::Equipment, "instrument", "Instrument", "txtinstrument", true},
    {D::InstrumentSerial, G::Equipment, "instrument_serial", "Instrument serial", "txtinstrumentserial", true},
    {D::Probes, G::Equipment, "probes", "Probe(s)", "txtprobes", false},
    {D::ProbeSerials, G::Equipment, "probe_serials", "Probe serial(s)", "txtprobeserials", false},
    {D::CalibrationBlock, G::Equipment, "calibration_block", "Calibration block", "txtcalblock", true},
    {D::ReferenceBlock, G::Equipment, "reference_block", "Reference block", "txtrefblock", false},
    {D::Couplant, G::Equipment, "couplant", "Couplant", "txtcouplant", true},
    {D::Inspector, G::People, "inspector", "Inspector", "txtinspector", true},
    {D::Qualification, G::People, "qualification", "Qualification", "txtqualification", true},
    {D::Reviewer, G::People, "reviewer", "Reviewer", "txtreviewer", true},
}};

constexpr bool detailsInOrder()
{
    for (int i = 0; i < kJobDetailCount; ++i)
        if (int(kJobDetails[std::size_t(i)].detail) != i)
            return false;
    return true;
}
static_assert(detailsInOrder(), "one table row per job detail, in enum order");

constexpr const char *kEvaluationTexts[kEvaluationCount] = {"-", "accept", "record", "reject"};
constexpr int kJobFormat = 1;

// The distinct texts in first-seen order, joined; empty ones skipped.
QString distinct(const QStringList &texts)
{
    QStringList seen;
    for (const QString &t : texts)
        if (!t.isEmpty() && !seen.contains(t))
            seen << t;
    return seen.join(QStringLiteral("; ")).left(kMaxJobText);
}

QString number(double v)
{
    return QString::number(v, 'g', 6);
}

} // namespace

const std::array<JobDetailInfo, kJobDetailCount> &jobDetailTable()
{
    return kJobDetails;
}

const char *jobGroupCaption(JobGroup group)
{
    switch (group) {
    case G::Report: return "Report";
    case G::Object: return "Object";
    case G::Method: return "Method";
    case G::Equipment: return "Equipment";
    case G::People: return "Inspection personnel";
    }
    return "";
}

QString evaluationText(Evaluation e)
{
    return QString::fromLatin1(kEvaluationTexts[int(e)]);
}

std::optional<Evaluation> evaluationFrom(const QString &text)
{
    for (int e = 0; e < kEvaluationCount; ++e)
        if (text == QLatin1String(kEvaluationTexts[e]))
            return Evaluation(e);
    return std::nullopt;
}

void Job::setEvaluation(int memory, Evaluation e)
{
    if (e == Evaluation::None)
        evaluations.remove(memory);
    else
        evaluations.insert(memory, e);
}

bool Job::isEmpty() const
{
    for (const QString &t : texts)
        if (!t.trimmed().isEmpty())
            return false;
    return evaluations.isEmpty();
}

QByteArray jobJson(const Job &job)
{
    QJsonObject details, evaluations;
    for (const JobDetailInfo &d : kJobDetails)
        details.insert(QLatin1String(d.key), job.text(d.detail));
    for (auto it = job.evaluations.cbegin(); it != job.evaluations.cend(); ++it)
        evaluations.insert(QString::number(it.key()), evaluationText(it.value()));
    const QJsonObject root{{QStringLiteral("format"), kJobFormat},
                           {QStringLiteral("details"), details},
                           {QStringLiteral("evaluations"), evaluations}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<Job> jobFromJson(const QByteArray &json, QString *why)
{
    auto refuse = [why](const QString &reason) -> std::optional<Job> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return refuse(QStringLiteral("it holds no job details"));
    const QJsonObject root = doc.object();
    // Only a format this program knows is read: anything else could hold
    // details it would drop at the next Save.
    const QJsonValue format = root.value(QStringLiteral("format"));
    if (!format.isDouble() || format.toDouble() != std::floor(format.toDouble()) || format.toDouble() < 1)
        return refuse(QStringLiteral("it holds no job details"));
    if (format.toDouble() > kJobFormat)
        return refuse(QStringLiteral("it was written by a newer program"));
    Job job;
    const QJsonObject details = root.value(QStringLiteral("details")).toObject();
    for (const JobDetailInfo &d : kJobDetails) {
        // One line of printable text, as the window's box holds it.
        QString text = details.value(QLatin1String(d.key)).toString().left(kMaxJobText);
        for (QChar &c : text)
            if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
                c = QLatin1Char(' ');
        job.text(d.detail) = text;
    }
    const QJsonObject evaluations = root.value(QStringLiteral("evaluations")).toObject();
    for (auto it = evaluations.begin(); it != evaluations.end(); ++it) {
        bool ok = false;
        const int memory = it.key().toInt(&ok);
        const std::optional<Evaluation> e = evaluationFrom(it.value().toString());
        if (ok && memory >= 1 && memory <= kMemoryCount && e)
            job.setEvaluation(memory, *e);
    }
    return job;
}

Job prefilledJob(Job job, const QList<Record> &memories)
{
    QStringList probes, sensitivity, references;
    for (const Record &r : memories) {
        const SetupView v = decodeSetup(r);
        auto t = [&v](Field f) { return v.text(f).trimmed(); };
        if (!t(Field::ProbeName).isEmpty())
            probes << QStringLiteral("%1, %2, %3\u00B0")
                          .arg(t(Field::ProbeName), t(Field::ProbeFrequency), number(readNumber(t(Field::Angle))));
        sensitivity << QStringLiteral("Gain %1 dB, REF %2 dB, range %3")
                           .arg(t(Field::Gain), t(Field::RefGain), t(Field::Range));
        if (v.text(Field::Dgs) == mode::On)
            references << QStringLiteral("DGS reference %1 %2").arg(t(Field::RefType), t(Field::RefSize));
    }
    auto fill = [&job](JobDetail d, const QString &text) {
        if (job.text(d).trimmed().isEmpty())
            job.text(d) = text;
    };
    fill(D::Instrument, QStringLiteral("Galvanor-II DGS"));
    fill(D::Probes, distinct(probes));
    fill(D::Sensitivity, distinct(sensitivity));
    fill(D::ReferenceBlock, distinct(references));
    return job;
}

} // namespace vextrum

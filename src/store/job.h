#pragma once
// The job the memories were taken for: what an inspection report must
// identify (the object, the method, the equipment, the people) and the
// inspector's evaluation of each memory. Entered once per job in the Job
// Details window; kept in a small file beside the data file and in the
// archive. One table names every detail; nothing else names one by text.

#include "store/record.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <array>
#include <optional>

namespace vextrum {

enum class JobDetail : int {
    ReportNumber, Client, Site, Component, Material, Thickness, Stage, Technique, Acceptance,
    Sensitivity, Instrument, InstrumentSerial, Probes, ProbeSerials, CalibrationBlock, ReferenceBlock,
    Couplant, Inspector, Qualification, Reviewer,
};
constexpr int kJobDetailCount = int(JobDetail::Reviewer) + 1;

// Where a detail stands on the report and in the window.
enum class JobGroup { Report, Object, Method, Equipment, People };

struct JobDetailInfo
{
    JobDetail detail;
    JobGroup group;
    const char *key;     // its name in the job file and the archive
    const char *caption; // as the window and the report show it
    const char *name;    // objectName of its box
    // Kept for the next job too: the same inspector, instrument and
    // couplant usually go from job to job.
    bool carried;
};

// The table, in window and report order; detail d is at index int(d).
const std::array<JobDetailInfo, kJobDetailCount> &jobDetailTable();
inline const JobDetailInfo &jobDetailInfo(JobDetail d) { return jobDetailTable()[std::size_t(d)]; }
const char *jobGroupCaption(JobGroup group);

// The inspector's verdict on a memory's indication; None until set.
enum class Evaluation { None, Accept, Record, Reject };
constexpr int kEvaluationCount = int(Evaluation::Reject) + 1;
// "-", "accept", "record", "reject"; and back (nullopt for another text).
QString evaluationText(Evaluation e);
std::optional<Evaluation> evaluationFrom(const QString &text);

struct Job
{
    std::array<QString, kJobDetailCount> texts;
    QMap<int, Evaluation> evaluations; // by memory number 1..200; absent: None

    const QString &text(JobDetail d) const { return texts[std::size_t(d)]; }
    QString &text(JobDetail d) { return texts[std::size_t(d)]; }
    Evaluation evaluation(int memory) const { return evaluations.value(memory, Evaluation::None); }
    void setEvaluation(int memory, Evaluation e);
    bool isEmpty() const;
    bool operator==(const Job &other) const { return texts == other.texts && evaluations == other.evaluations; }
    bool operator!=(const Job &other) const { return !(*this == other); }
};

// The job as JSON, UTF-8: {"format": 1, "details": {key: text},
// "evaluations": {"7": "accept"}}. Read back, unknown keys are skipped and
// texts are cut to kMaxJobText characters; nullopt with the reason for
// what is no job at all.
constexpr int kMaxJobText = 200;
QByteArray jobJson(const Job &job);
std::optional<Job> jobFromJson(const QByteArray &json, QString *why = nullptr);

// What the memories tell of the job, for the details still empty: the
// instrument, the probes (name, frequency, angle), the sensitivity (gain,
// reference gain, range) and the DGS reference block. A detail already
// typed is left as it is.
Job prefilledJob(Job job, const QList<Record> &memories);

} // namespace vextrum

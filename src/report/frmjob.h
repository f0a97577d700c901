#pragma once
// File, "Job Details...": what the inspection report must identify about
// the job (report number, client, object, method, equipment, people) and
// the evaluation of each captured memory (accept, record, reject). It
// shows and edits the store's job: OK sets it (kept with the data file at
// the next Save, and in the archive at once), Cancel or closing leaves it.
// Details still empty are offered from what the memories know and from
// the last job (the inspector, the instrument, the couplant). Always made
// with new: it deletes itself when closed.

#include "store/job.h"

#include <QWidget>
#include <array>

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace vextrum {
class MemoryStore;
}

class frmjob : public QWidget
{
    Q_OBJECT
public:
    explicit frmjob(vextrum::MemoryStore &store, QWidget *parent = nullptr);

    // The job as the window shows it.
    vextrum::Job job() const;

    void cmdprefill_Click(); // fills the empty boxes from the memories
    void cmdok_Click();      // sets the job and closes

private:
    void showJob(const vextrum::Job &job);
    void jobChanged();
    void fillEvaluations(const vextrum::Job &job);

    vextrum::MemoryStore &store_;
    vextrum::Job loaded_; // the store's job as last shown
    std::array<QLineEdit *, vextrum::kJobDetailCount> boxes_{};
    QTableWidget *tblevaluation_ = nullptr;
};

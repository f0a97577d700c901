#include "report/frmjob.h"

#include "report/jobreport.h"
#include "store/memorystore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace vextrum;

namespace {

const char kCarriedGroup[] = "Job";
enum EvaluationColumn { Memory, Time, Peak, Notes, Choice, ColumnCount };

// A verdict changes only when the user means it: the wheel turns it only
// once the box has the focus, so scrolling the table changes nothing.
class EvaluationBox : public QComboBox
{
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent *event) override
    {
        if (hasFocus())
            QComboBox::wheelEvent(event);
        else
            event->ignore();
    }
};

QString carriedKey(const JobDetailInfo &d)
{
    return QStringLiteral("%1/%2").arg(QLatin1String(kCarriedGroup), QLatin1String(d.key));
}

} // namespace

frmjob::frmjob(MemoryStore &store, QWidget *parent) : QWidget(parent, Qt::Window), store_(store)
{
    setObjectName(QStringLiteral("frmjob"));
    setWindowTitle(QStringLiteral("Job Details"));
    setAttribute(Qt::WA_DeleteOnClose);

    // The details in their groups: the report number across the top, the
    // object and the method on the left, the equipment and the people on
    // the right.
    auto *groups = new QGridLayout;
    const struct
    {
        JobGroup group;
        int row, column, span;
    } places[] = {{JobGroup::Report, 0, 0, 2}, {JobGroup::Object, 1, 0, 1}, {JobGroup::Equipment, 1, 1, 1},
                  {JobGroup::Method, 2, 0, 1}, {JobGroup::People, 2, 1, 1}};
    for (const auto &place : places) {
        auto *box = new QGroupBox(QString::fromLatin1(jobGroupCaption(place.group)), this);
        auto *form = new QFormLayout(box);
        for (const JobDetailInfo &d : jobDetailTable()) {
            if (d.group != place.group)
                continue;
            auto *edit = new QLineEdit(box);
            edit->setObjectName(QString::fromLatin1(d.name));
            edit->setMaxLength(kMaxJobText);
            form->addRow(QString::fromLatin1(d.caption), edit);
            boxes_[std::size_t(d.detail)] = edit;
        }
        groups->addWidget(box, place.row, place.column, 1, place.span);
    }

    tblevaluation_ = new QTableWidget(0, ColumnCount, this);
    tblevaluation_->setObjectName(QStringLiteral("tblevaluation"));
    tblevaluation_->setHorizontalHeaderLabels(
        {QStringLiteral("Mem"), QStringLiteral("Time"), QStringLiteral("Gate peak"), QStringLiteral("Notes"),
         QStringLiteral("Evaluation")});
    tblevaluation_->verticalHeader()->hide();
    tblevaluation_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblevaluation_->setSelectionMode(QAbstractItemView::NoSelection);
    tblevaluation_->horizontalHeader()->setSectionResizeMode(Notes, QHeaderView::Stretch);

    auto *prefill = new QPushButton(QStringLiteral("Fill In from Memories"), this);
    prefill->setObjectName(QStringLiteral("cmdprefill"));
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdok"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdcancel"));
    buttons->addButton(prefill, QDialogButtonBox::ResetRole);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    auto *evaluations = new QLabel(QStringLiteral("Evaluation of each captured memory (the report's last column):"), this);
    layout->addWidget(evaluations);
    layout->addWidget(tblevaluation_, 1);
    layout->addWidget(buttons);

    connect(prefill, &QPushButton::clicked, this, &frmjob::cmdprefill_Click);
    connect(ok, &QPushButton::clicked, this, &frmjob::cmdok_Click);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    // A Capture or Open meanwhile: the rows follow the memories, the
    // choices made so far stay with theirs.
    connect(&store_, &MemoryStore::changed, this, [this] { fillEvaluations(job()); });
    // A data file opened (or memories put into slots) brings its own job.
    connect(&store_, &MemoryStore::replaced, this, [this] { showJob(store_.job()); });
    // A memory filed in a slot: a choice not yet confirmed was for the
    // memory that was there.
    connect(&store_, &MemoryStore::filed, this, [this](int slot) {
        Job shown = job();
        shown.setEvaluation(slot + 1, store_.job().evaluation(slot + 1));
        fillEvaluations(shown);
    });
    connect(&store_, &MemoryStore::jobChanged, this, &frmjob::jobChanged);

    showJob(store_.job());
    resize(900, 720);
}

void frmjob::jobChanged()
{
    const Job &now = store_.job();
    if (now.texts != loaded_.texts) {
        showJob(now); // another job altogether: a data file was opened
        return;
    }
    // A memory filed over an evaluated one: its choice goes, the others'
    // stay as the user left them.
    Job shown = job();
    for (auto it = loaded_.evaluations.cbegin(); it != loaded_.evaluations.cend(); ++it)
        if (!now.evaluations.contains(it.key()))
            shown.setEvaluation(it.key(), Evaluation::None);
    loaded_ = now;
    fillEvaluations(shown);
}

void frmjob::showJob(const Job &stored)
{
    loaded_ = stored;
    Job shown = stored;
    // What the last job carried over, where this one has nothing yet.
    QSettings settings;
    for (const JobDetailInfo &d : jobDetailTable())
        if (d.carried && shown.text(d.detail).trimmed().isEmpty())
            shown.text(d.detail) = settings.value(carriedKey(d)).toString().left(kMaxJobText);
    shown = prefilledJob(shown, store_.capturedRecords());
    for (const JobDetailInfo &d : jobDetailTable())
        boxes_[std::size_t(d.detail)]->setText(shown.text(d.detail));
    fillEvaluations(stored);
}

void frmjob::fillEvaluations(const Job &job)
{
    const QList<int> captured = store_.capturedSlots();
    tblevaluation_->setRowCount(int(captured.size()));
    for (int row = 0; row < captured.size(); ++row) {
        const int memory = captured[row] + 1;
        const Indication found = indicationOf({memory, store_.record(captured[row])}, job);
        const QString texts[] = {
            found.memory, found.time,
            found.gate == QLatin1String("-")
                ? QStringLiteral("-")
                : QStringLiteral("Gate %1: %2 %, %3 dB to DAC").arg(found.gate, found.amplitude, found.toDac),
            found.notes};
        for (int c = 0; c < int(std::size(texts)); ++c)
            tblevaluation_->setItem(row, c, new QTableWidgetItem(texts[c]));
        auto *choice = new EvaluationBox(tblevaluation_);
        choice->setFocusPolicy(Qt::StrongFocus);
        choice->setObjectName(QStringLiteral("cmbeval%1").arg(memory));
        for (int e = 0; e < kEvaluationCount; ++e)
            choice->addItem(evaluationText(Evaluation(e)), memory);
        choice->setCurrentIndex(int(job.evaluation(memory)));
        tblevaluation_->setCellWidget(row, Choice, choice);
    }
    tblevaluation_->resizeColumnsToContents();
    tblevaluation_->horizontalHeader()->setSectionResizeMode(Notes, QHeaderView::Stretch);
}

Job frmjob::job() const
{
    Job job;
    for (const JobDetailInfo &d : jobDetailTable())
        job.text(d.detail) = boxes_[std::size_t(d.detail)]->text().trimmed();
    for (int row = 0; row < tblevaluation_->rowCount(); ++row)
        if (auto *choice = qobject_cast<QComboBox *>(tblevaluation_->cellWidget(row, Choice)))
            job.setEvaluation(choice->itemData(0).toInt(), Evaluation(choice->currentIndex()));
    return job;
}

void frmjob::cmdprefill_Click()
{
    const Job filled = prefilledJob(job(), store_.capturedRecords());
    for (const JobDetailInfo &d : jobDetailTable())
        boxes_[std::size_t(d.detail)]->setText(filled.text(d.detail));
}

void frmjob::cmdok_Click()
{
    const Job chosen = job();
    QSettings settings;
    for (const JobDetailInfo &d : jobDetailTable())
        if (d.carried)
            settings.setValue(carriedKey(d), chosen.text(d.detail));
    store_.setJob(chosen);
    close();
}

#include "store/memorystore.h"

namespace vextrum {

MemoryStore::MemoryStore(QObject *parent)
    : QObject(parent), records_(std::make_unique<Store>()), onScreen_(startView())
{
    initialiseStore(*records_);
}

MemoryStore::~MemoryStore() = default;

bool MemoryStore::isCaptured(int slot) const
{
    return slot >= 0 && slot < kMemoryCount && captured_[std::size_t(slot)];
}

QList<int> MemoryStore::capturedSlots() const
{
    QList<int> found;
    for (int s = 0; s < kMemoryCount; ++s)
        if (captured_[std::size_t(s)])
            found.append(s);
    return found;
}

void MemoryStore::reset()
{
    initialiseStore(*records_);
    captured_.fill(false);
    current_ = Record{};
    onScreen_ = startView();
    shownSlot_ = 0;
    showingStored_ = false;
    job_ = Job();
    setFileState(QString(), false);
    emit replaced();
    emit changed();
    emit jobChanged();
}

void MemoryStore::file(int slot, const Record &record)
{
    if (slot < 0 || slot >= kMemoryCount)
        return;
    if (keeper_)
        keeper_->keepFiled(record);
    const bool evaluationGone = forgetEvaluation(slot, record);
    (*records_)[std::size_t(slot)] = record;
    captured_[std::size_t(slot)] = true;
    putOnScreen(record, slot);
    setFileState(dataFile_, true);
    emit filed(slot);
    emit changed();
    emit currentShown();
    if (evaluationGone)
        emit jobChanged();
}

void MemoryStore::replace(const Store &records, const std::array<bool, kMemoryCount> &captured,
                          const QString &path, const QString &readFrom, const Job &job)
{
    if (keeper_) {
        QList<Record> kept;
        for (int s = 0; s < kMemoryCount; ++s)
            if (captured[std::size_t(s)])
                kept.append(records[std::size_t(s)]);
        if (!kept.isEmpty())
            keeper_->keepOpened(kept, readFrom.isEmpty() ? path : readFrom);
        // The job kept beside the file goes with its memories.
        if (!job.isEmpty())
            keeper_->keepJob(job, kept);
    }
    setFileState(path, false);
    *records_ = records;
    captured_ = captured;
    job_ = job;
    showingStored_ = false;
    onScreen_ = decodeSetup(current_);
    emit replaced();
    emit changed();
    emit jobChanged();
    emit currentShown();
}

void MemoryStore::setJob(const Job &job)
{
    if (job == job_)
        return;
    if (keeper_)
        keeper_->keepJob(job, capturedRecords());
    job_ = job;
    setFileState(dataFile_, true);
    emit jobChanged();
}

QList<Record> MemoryStore::capturedRecords() const
{
    QList<Record> list;
    for (int s : capturedSlots())
        list.append(record(s));
    return list;
}

bool MemoryStore::forgetEvaluation(int slot, const Record &record)
{
    const int memory = slot + 1;
    if (!job_.evaluations.contains(memory) || (*records_)[std::size_t(slot)] == record)
        return false;
    job_.evaluations.remove(memory);
    return true;
}

bool MemoryStore::saveNotes()
{
    QStringList texts;
    for (Field f : fieldsOf(FieldKind::Note))
        texts << onScreen_.text(f);
    if (showingArchived_) {
        Record after = current_;
        vextrum::saveNotes(after, texts);
        if (!keeper_ || !keeper_->keepNotes(current_, after))
            return false;
        current_ = after;
        return true;
    }
    if (!showingStored_)
        return false;
    Record &slot = (*records_)[std::size_t(shownSlot_)];
    const Record before = slot;
    vextrum::saveNotes(slot, texts);
    if (keeper_)
        keeper_->keepNotes(before, slot);
    setFileState(dataFile_, true);
    emit notesSaved(shownSlot_);
    emit changed();
    return true;
}

void MemoryStore::putIntoSlots(const QList<Record> &records)
{
    bool evaluationGone = false;
    for (const Record &r : records) {
        const int n = memoryNumber(r);
        if (n == 0)
            continue;
        evaluationGone = forgetEvaluation(n - 1, r) || evaluationGone;
        (*records_)[std::size_t(n - 1)] = r;
        captured_[std::size_t(n - 1)] = true;
    }
    setFileState(dataFile_, true);
    emit replaced();
    emit changed();
    if (evaluationGone)
        emit jobChanged();
}

void MemoryStore::savedTo(const QString &path)
{
    setFileState(path, false);
}

void MemoryStore::setFileState(const QString &path, bool unsaved)
{
    if (path == dataFile_ && unsaved == unsaved_)
        return;
    dataFile_ = path;
    unsaved_ = unsaved;
    emit fileStateChanged();
}

void MemoryStore::putOnScreen(const Record &record, int slot)
{
    current_ = record;
    onScreen_ = decodeSetup(current_);
    if (slot >= 0)
        shownSlot_ = slot;
    showingStored_ = slot >= 0;
    showingArchived_ = false;
}

void MemoryStore::show(int slot)
{
    if (slot < 0 || slot >= kMemoryCount)
        return;
    putOnScreen(record(slot), slot);
    emit currentShown();
}

void MemoryStore::showRecord(const Record &record)
{
    putOnScreen(record, -1);
    emit currentShown();
}

void MemoryStore::showArchived(const Record &record)
{
    putOnScreen(record, -1);
    showingArchived_ = true;
    emit currentShown();
}

void MemoryStore::showAgain()
{
    onScreen_ = decodeSetup(current_);
    emit currentShown();
}

void MemoryStore::setTrace(const Record &record)
{
    current_ = record;
    showingStored_ = false;
    showingArchived_ = false;
}

void MemoryStore::editNote(int note, const QString &text)
{
    const QList<Field> notes = fieldsOf(FieldKind::Note);
    if (note >= 0 && note < notes.size())
        onScreen_.text(notes[note]) = text;
}

} // namespace vextrum

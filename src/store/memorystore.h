#pragma once
// The memory store: the 200 memories, which of them hold a memory from the
// instrument or a data file (a flag per slot), and the record on screen
// with what the main window shows for it. It is the one truth about them:
// the memory list, the browser, the viewer, printing and export read it,
// and it tells them what happens to it.

#include "store/fields.h"
#include "store/job.h"
#include "store/record.h"

#include <QList>
#include <QObject>
#include <array>
#include <memory>

namespace vextrum {

// Whatever keeps every memory beyond the run (the archive). The store hands
// it each memory before it tells anyone of it, so a memory marked in the
// list is already kept. A keeper that cannot keep says so itself; the
// store's own work goes on either way.
class MemoryKeeper
{
public:
    virtual ~MemoryKeeper() = default;
    // A memory from the instrument.
    virtual void keepFiled(const Record &record) = 0;
    // The captured memories of a data file read whole or in part.
    virtual void keepOpened(const QList<Record> &records, const QString &path) = 0;
    // Notes were saved: the record as it was and as it is now. False: the
    // notes were not kept.
    virtual bool keepNotes(const Record &before, const Record &after) = 0;
    // The job details were set, for the memories given (the captured ones).
    virtual void keepJob(const Job &job, const QList<Record> &memories) = 0;
};

class MemoryStore : public QObject
{
    Q_OBJECT
public:
    explicit MemoryStore(QObject *parent = nullptr);
    ~MemoryStore() override;

    // Slot s holds memory s + 1; slot 200 is never used.
    const Store &records() const { return *records_; }
    const Record &record(int slot) const { return (*records_)[std::size_t(slot)]; }
    // The slot holds a captured memory (its list entry carries the mark).
    bool isCaptured(int slot) const;
    QList<int> capturedSlots() const;

    // The keeper told of every memory filed or read and every note save;
    // none when nullptr.
    void setKeeper(MemoryKeeper *keeper) { keeper_ = keeper; }

    // Start-up: every slot initialised, none captured, nothing on screen.
    void reset();
    // A memory from the instrument: kept in its slot, marked captured and
    // put on screen, so notes saved next go into it.
    void file(int slot, const Record &record);
    // A data file was read: every slot and mark replaced, and the job with
    // the one kept beside it (none: an empty job). The record on screen is
    // drawn again and is no longer one of the memories. `path` becomes the
    // data file in use, with nothing unsaved. `readFrom` names the file
    // read (also one read only in part) to the keeper.
    void replace(const Store &records, const std::array<bool, kMemoryCount> &captured,
                 const QString &path = QString(), const QString &readFrom = QString(), const Job &job = Job());
    // Everything was written to the data file `path`, now the one in use.
    void savedTo(const QString &path);
    // Archived memories go into their own slots (memory n into slot n - 1)
    // as captured ones, with the data file and its state as they were.
    void putIntoSlots(const QList<Record> &records);
    // The data file this run last opened or saved (empty: none), and
    // whether memories filed or notes saved since are in no file yet.
    const QString &dataFile() const { return dataFile_; }
    bool hasUnsavedWork() const { return unsaved_; }
    // "Detail/Note SAVE": the notes as on screen go into the memory on
    // screen. False, and nothing is written, when no stored memory is. A
    // memory shown from the archive keeps its notes there, not in a slot.
    bool saveNotes();

    // The job the memories were taken for. Set, it goes to the keeper and
    // counts as unsaved work until the next Save. A memory filed or put
    // into a slot over another loses that slot's evaluation.
    const Job &job() const { return job_; }
    void setJob(const Job &job);
    // The captured memories in slot order.
    QList<Record> capturedRecords() const;

    // The record on screen, and whether it is the memory in shownSlot.
    const Record &current() const { return current_; }
    int shownSlot() const { return shownSlot_; }
    bool showingStored() const { return showingStored_; }
    // What the main window shows for it: panel, readings and the notes as
    // typed.
    const SetupView &onScreen() const { return onScreen_; }

    // A stored memory goes on screen (double-click, browser, print run).
    void show(int slot);
    // A record that is no memory of the store goes on screen.
    void showRecord(const Record &record);
    // A memory from the archive goes on screen: no slot's, its notes saved
    // go to the keeper.
    void showArchived(const Record &record);
    bool showingArchived() const { return showingArchived_; }
    // The record on screen is drawn again with its settings.
    void showAgain();
    // The record on screen without its settings (the start-up trace): the
    // panel keeps its texts and the caller draws the trace.
    void setTrace(const Record &record);
    // Whether notes go to shownSlot; a Capture run holds them back while
    // it clears the picture.
    void setShowingStored(bool stored)
    {
        showingStored_ = stored;
        showingArchived_ = false;
    }
    // The user edited note box `note` (0..3).
    void editNote(int note, const QString &text);

signals:
    void filed(int slot);
    void notesSaved(int slot);
    void replaced();
    // After each of the three above.
    void changed();
    // The job details or an evaluation changed.
    void jobChanged();
    // The data file in use, or whether there is unsaved work, changed.
    void fileStateChanged();
    // A record was put on screen: draw it with its settings.
    void currentShown();

private:
    void putOnScreen(const Record &record, int slot);
    void setFileState(const QString &path, bool unsaved);
    // Slot s now holds `record`: an evaluation of another memory goes.
    bool forgetEvaluation(int slot, const Record &record);

    std::unique_ptr<Store> records_;
    std::array<bool, kMemoryCount> captured_{};
    Record current_{};
    SetupView onScreen_;
    int shownSlot_ = 0;
    bool showingStored_ = false;
    bool showingArchived_ = false;
    MemoryKeeper *keeper_ = nullptr;
    QString dataFile_;
    bool unsaved_ = false;
    Job job_;
};

} // namespace vextrum

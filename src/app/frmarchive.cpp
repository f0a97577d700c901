#include "app/frmarchive.h"

#include "app/exportmenu.h"
#include "archive/archive.h"
#include "archive/archivemodel.h"
#include "archive/serversync.h"
#include "app/frmserver.h"
#include "display/msgbox.h"
#include "report/export.h"
#include "report/printreport.h"
#include "store/memorystore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <set>

using namespace vextrum;

namespace {

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

constexpr int kServerRows = 500; // a search of the team archive shows its first rows

QString notesText(const QStringList &notes)
{
    static const char *const names[] = {"Operator", "Job detail", "Defect detail", "Remark"};
    QStringList lines;
    for (int i = 0; i < notes.size() && i < 4; ++i)
        lines << QStringLiteral("  %1: %2").arg(QLatin1String(names[i]), notes[i]);
    return lines.join(QLatin1Char('\n'));
}

// Every note save of a memory, newest first.
QString historyText(const QList<NoteVersion> &history)
{
    QStringList text;
    for (const NoteVersion &v : history)
        text << QStringLiteral("%1, %2 on %3\n was:\n%4\n became:\n%5")
                    .arg(v.at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), v.user, v.station,
                         notesText(v.before), notesText(v.after));
    if (text.isEmpty())
        text << QStringLiteral("The notes are as the memory arrived: never saved since.");
    return text.join(QStringLiteral("\n\n"));
}

} // namespace

frmarchive::frmarchive(Archive &archive, ServerSync *sync, const ReportContext &context, QWidget *parent)
    : ViewWindow("frmarchive", QStringLiteral("Archive"), parent), archive_(archive), sync_(sync), context_(context)
{
    model_ = new ArchiveModel(archive_, this);
    team_ = new ArchiveRows(this);
    source_ = new QLabel(this);
    source_->setObjectName(QStringLiteral("labsource"));
    auto *server = button(this, "cmdserver", QStringLiteral("Server..."));
    server->setEnabled(sync_ != nullptr);

    file_ = new QLabel(this);
    file_->setObjectName(QStringLiteral("labarchive"));
    file_->setWordWrap(true);
    file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *change = button(this, "cmdarchivefile", QStringLiteral("Use Another Archive..."));

    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("txtfind"));
    find_->setPlaceholderText(QStringLiteral("Words of the notes or the probe, e.g. W-12/3"));
    find_->setClearButtonEnabled(true);
    useSince_ = new QCheckBox(QStringLiteral("From"), this);
    useSince_->setObjectName(QStringLiteral("chksince"));
    since_ = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    since_->setObjectName(QStringLiteral("dtsince"));
    useUntil_ = new QCheckBox(QStringLiteral("to"), this);
    useUntil_->setObjectName(QStringLiteral("chkuntil"));
    until_ = new QDateEdit(QDate::currentDate(), this);
    until_->setObjectName(QStringLiteral("dtuntil"));
    for (QDateEdit *d : {since_, until_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    memory_ = new QSpinBox(this);
    memory_->setObjectName(QStringLiteral("spnmemory"));
    memory_->setRange(0, kMemoryCount);
    memory_->setSpecialValueText(QStringLiteral("any"));
    station_ = new QComboBox(this);
    station_->setObjectName(QStringLiteral("cmbstation"));

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("tblarchive"));
    table_->setModel(model_);
    setUpRowTable(table_);
    table_->setColumnHidden(int(ArchiveColumn::Id), true);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("labresult"));

    auto *show = button(this, "cmdshow", QStringLiteral("Show"));
    auto *history = button(this, "cmdhistory", QStringLiteral("Note History..."));
    auto *toSlots = button(this, "cmdslots", QStringLiteral("Put into slots"));
    auto *pdf = button(this, "cmdpdf", QStringLiteral("Export PDF..."));
    auto *csv = button(this, "cmdcsv", QStringLiteral("Export CSV..."));
    auto *print = button(this, "cmdprint", QStringLiteral("Print"));
    auto *reports = button(this, "cmdreports", QStringLiteral("Reports..."));

    auto *top = new QHBoxLayout;
    top->addWidget(file_, 1);
    top->addWidget(change);
    auto *team = new QHBoxLayout;
    team->addWidget(source_, 1);
    team->addWidget(server);
    auto *filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("Find:"), this));
    filters->addWidget(find_, 1);
    filters->addWidget(useSince_);
    filters->addWidget(since_);
    filters->addWidget(useUntil_);
    filters->addWidget(until_);
    filters->addWidget(new QLabel(QStringLiteral("Mem"), this));
    filters->addWidget(memory_);
    filters->addWidget(new QLabel(QStringLiteral("Station"), this));
    filters->addWidget(station_);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {show, history, toSlots, pdf, csv, print, reports})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(result_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(team);
    layout->addLayout(filters);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);

    // Typing waits for a pause, so each key does not search.
    typing_ = new QTimer(this);
    typing_->setSingleShot(true);
    typing_->setInterval(250);
    connect(typing_, &QTimer::timeout, this, &frmarchive::search);
    connect(find_, &QLineEdit::textChanged, typing_, qOverload<>(&QTimer::start));
    connect(find_, &QLineEdit::returnPressed, this, &frmarchive::search);
    for (QCheckBox *c : {useSince_, useUntil_})
        connect(c, &QCheckBox::toggled, this, &frmarchive::search);
    for (QDateEdit *d : {since_, until_})
        connect(d, &QDateEdit::dateChanged, typing_, qOverload<>(&QTimer::start));
    connect(memory_, &QSpinBox::valueChanged, typing_, qOverload<>(&QTimer::start));
    connect(station_, &QComboBox::currentIndexChanged, this, &frmarchive::search);
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex &i) { showMemory(idAt(i.row())); });
    connect(server, &QPushButton::clicked, this, [this] {
        frmserver box(*sync_, this);
        box.exec();
    });
    if (sync_)
        connect(sync_, &ServerSync::statusChanged, this, [this] {
            // Reached or lost: search where the answer now comes from.
            if (onServer_ != (sync_->hasServer() && sync_->reachable()))
                search();
            else
                showSource();
        });
    connect(show, &QPushButton::clicked, this, &frmarchive::showSelected);
    connect(history, &QPushButton::clicked, this, &frmarchive::showNoteHistory);
    connect(toSlots, &QPushButton::clicked, this, [this] { putIntoSlots(); });
    connect(pdf, &QPushButton::clicked, this, [this] { exportPdf(); });
    connect(csv, &QPushButton::clicked, this, [this] { exportCsv(); });
    connect(print, &QPushButton::clicked, this, &frmarchive::printSelected);
    connect(reports, &QPushButton::clicked, this, &frmarchive::showReports);
    connect(change, &QPushButton::clicked, this, &frmarchive::chooseArchive);
    connect(&archive_, &Archive::stateChanged, this, &frmarchive::showState);
    // What was filed or saved meanwhile shows at once.
    connect(&context_.store, &MemoryStore::changed, this, &frmarchive::search);

    showState();
    // Columns as wide as the first rows need, notes no wider than a note.
    table_->resizeColumnsToContents();
    const int note = table_->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMMMMMMMMMMMM"));
    for (int c = int(ArchiveColumn::Note1); c <= int(ArchiveColumn::Note4); ++c)
        table_->setColumnWidth(c, std::min(table_->columnWidth(c), note));
    table_->horizontalHeader()->moveSection(int(ArchiveColumn::User), int(ArchiveColumn::Station) + 1);
    restoreSize(QSize(1100, 600));
}

void frmarchive::showState()
{
    QString text = QStringLiteral("Archive: %1").arg(QDir::toNativeSeparators(archive_.path()));
    if (!archive_.isArchiving())
        text += QStringLiteral("\n") + archive_.why();
    file_->setText(text);
    file_->setStyleSheet(archive_.isArchiving() ? QString() : QStringLiteral("color: #b00000"));
    const QString chosen = station_->currentIndex() > 0 ? station_->currentText() : QString();
    station_->blockSignals(true);
    station_->clear();
    station_->addItem(QStringLiteral("any"));
    if (archive_.isOpen())
        station_->addItems(archive_.stations());
    station_->setCurrentIndex(std::max(0, station_->findText(chosen)));
    station_->blockSignals(false);
    search();
}

ArchiveFilter frmarchive::filter() const
{
    ArchiveFilter f;
    f.text = find_->text();
    if (useSince_->isChecked())
        f.since = since_->date();
    if (useUntil_->isChecked())
        f.until = until_->date();
    f.memory = memory_->value();
    if (station_->currentIndex() > 0)
        f.station = station_->currentText();
    return f;
}

void frmarchive::showSource()
{
    QString text = QStringLiteral("This PC only");
    if (onServer_)
        text = QStringLiteral("Team archive, server reachable");
    else if (sync_ && sync_->hasServer() && sync_->unreachableSince().isValid())
        text = QStringLiteral("This PC only: server not reachable since %1")
                   .arg(sync_->unreachableSince().toString(QStringLiteral("HH:mm")));
    else if (sync_ && sync_->hasServer())
        text = QStringLiteral("This PC only: server not reached yet");
    source_->setText(text);
}

void frmarchive::search()
{
    typing_->stop();
    // Every search counts, so a server's late answer to an older one is
    // never shown over a newer search's rows.
    const int asked = ++questions_;
    if (sync_ && sync_->hasServer() && sync_->reachable()) {
        // The server answers on the sending thread; the rows shown stay
        // those of the last answer until this one comes.
        const ArchiveFilter f = filter();
        source_->setText(QStringLiteral("Team archive, server reachable"));
        result_->setText(QStringLiteral("Searching the team archive..."));
        sync_->ask(
            [f](Archive &server) -> QVariant {
                if (!server.isOpen())
                    return server.why();
                QSqlQuery q = server.find(f, kServerRows + 1);
                if (q.lastError().isValid())
                    return q.lastError().text();
                return QVariant::fromValue(ArchiveRows::read(q, kServerRows + 1));
            },
            this,
            [this, asked](const QVariant &answer) {
                if (asked != questions_)
                    return;
                if (answer.typeId() == QMetaType::QString) {
                    result_->setText(QStringLiteral("The team archive cannot be searched: %1").arg(answer.toString()));
                    return;
                }
                QList<QVariantList> rows = answer.value<QList<QVariantList>>();
                const bool more = rows.size() > kServerRows;
                if (more)
                    rows.removeLast();
                team_->setRows(rows);
                if (table_->model() != team_)
                    table_->setModel(team_);
                onServer_ = true;
                showSource();
                table_->setColumnHidden(int(ArchiveColumn::Id), true);
                result_->setText(more ? QStringLiteral("first %1 memories: narrow the search").arg(kServerRows)
                                      : QStringLiteral("%1 memories").arg(rows.size()));
            });
        return;
    }
    if (table_->model() != model_)
        table_->setModel(model_);
    onServer_ = false;
    showSource();
    if (!archive_.isOpen()) {
        model_->clear();
        result_->setText(QStringLiteral("Nothing to search: no archive is open."));
        return;
    }
    if (!model_->search(filter())) {
        result_->setText(QStringLiteral("The archive cannot be searched: %1").arg(model_->lastError().text()));
        return;
    }
    for (int c = 0; c < kArchiveColumnCount; ++c)
        model_->setHeaderData(c, Qt::Horizontal, QString::fromLatin1(archiveColumnTitle(ArchiveColumn(c))));
    table_->setColumnHidden(int(ArchiveColumn::Id), true);
    const int rows = model_->rowCount();
    result_->setText(model_->canFetchMore() ? QStringLiteral("%1+ memories").arg(rows)
                                            : QStringLiteral("%1 memories").arg(rows));
}

qint64 frmarchive::idAt(int row) const
{
    return onServer_ ? team_->idAt(row) : model_->idAt(row);
}

QList<qint64> frmarchive::selectedIds() const
{
    QList<int> rows;
    for (const QModelIndex &i : table_->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    QList<qint64> ids;
    for (int r : rows)
        ids << idAt(r);
    return ids;
}

void frmarchive::withMemories(const QList<qint64> &ids, std::function<void(const QList<ExportMemory> &)> act)
{
    auto records = [ids](Archive &from) {
        QVariantList found;
        for (qint64 id : ids)
            if (const auto record = from.memory(id))
                found << recordBytes(*record);
        return found;
    };
    auto take = [act](const QVariantList &found) {
        QList<ExportMemory> memories;
        for (const QVariant &bytes : found)
            if (const auto record = recordFromBytes(bytes.toByteArray()))
                memories << ExportMemory{memoryNumber(*record), *record};
        act(memories);
    };
    if (onServer_)
        sync_->ask([records](Archive &server) -> QVariant { return records(server); }, this,
                   [take](const QVariant &found) { take(found.toList()); });
    else
        take(records(archive_));
}

void frmarchive::showSelected()
{
    const QList<qint64> ids = selectedIds();
    if (!ids.isEmpty())
        showMemory(ids.front());
}

void frmarchive::showMemory(qint64 id)
{
    withMemories({id}, [this](const QList<ExportMemory> &found) {
        if (found.isEmpty())
            return;
        context_.store.showArchived(found.front().record);
        emit memoryShown();
        emit status(QStringLiteral("Archived memory shown: its notes are saved into the archive"));
    });
}

void frmarchive::putIntoSlots()
{
    withMemories(selectedIds(), [this](const QList<ExportMemory> &found) { putIntoSlots(found); });
}

void frmarchive::putIntoSlots(const QList<ExportMemory> &found)
{
    // One memory a slot: of several with one number, the first in the table.
    QList<Record> records;
    QList<int> replaced, taken;
    std::set<int> numbers;
    int skipped = 0;
    for (const ExportMemory &m : found) {
        if (m.number == 0 || !numbers.insert(m.number).second) {
            ++skipped;
            continue;
        }
        records << m.record;
        taken << m.number;
        if (context_.store.isCaptured(m.number - 1))
            replaced << m.number;
    }
    if (records.isEmpty()) {
        MsgBox(this, QStringLiteral("Select the archived memories to put into their slots."));
        return;
    }
    if (!replaced.isEmpty()
        && !MsgBoxYesNo(this, QStringLiteral("Mem %1 already hold captured memories. Replace them with the archived "
                                             "ones?")
                                  .arg(memoryNumbersText(replaced))))
        return;
    context_.store.putIntoSlots(records);
    QString text = QStringLiteral("Put into slots: Mem %1").arg(memoryNumbersText(taken));
    if (skipped > 0)
        text += QStringLiteral(" (%1 left out: one memory a slot)").arg(skipped);
    result_->setText(text);
    emit status(text);
}

void frmarchive::showNoteHistory()
{
    const QList<qint64> ids = selectedIds();
    if (ids.isEmpty())
        return;
    const qint64 id = ids.front();
    if (onServer_)
        sync_->ask([id](Archive &server) -> QVariant { return historyText(server.noteHistory(id)); }, this,
                   [this](const QVariant &text) { showHistory(text.toString()); });
    else
        showHistory(historyText(archive_.noteHistory(id)));
}

void frmarchive::showHistory(const QString &text)
{
    QDialog box(this);
    box.setObjectName(QStringLiteral("frmnotehistory"));
    box.setWindowTitle(QStringLiteral("Note History"));
    auto *view = new QPlainTextEdit(text, &box);
    view->setObjectName(QStringLiteral("txthistory"));
    view->setReadOnly(true);
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, &box);
    connect(close, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto *layout = new QVBoxLayout(&box);
    layout->addWidget(view);
    layout->addWidget(close);
    box.resize(520, 420);
    box.exec();
}

void frmarchive::showReports()
{
    QDialog box(this);
    box.setObjectName(QStringLiteral("frmreports"));
    box.setWindowTitle(QStringLiteral("Inspection Reports Exported"));
    const QList<ReportEntry> reports = archive_.reports();
    const QStringList titles = {QStringLiteral("Report No."), QStringLiteral("Exported"), QStringLiteral("By"),
                                QStringLiteral("Station"),    QStringLiteral("Memories"), QStringLiteral("Pages"),
                                QStringLiteral("File"),       QStringLiteral("SHA-256")};
    auto *table = new QTableWidget(int(reports.size()), int(titles.size()), &box);
    table->setObjectName(QStringLiteral("tblreports"));
    table->setHorizontalHeaderLabels(titles);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    for (int row = 0; row < reports.size(); ++row) {
        const ReportEntry &r = reports[row];
        const QString cells[] = {r.number, QLocale().toString(r.at.toLocalTime(), QLocale::ShortFormat), r.user,
                                 r.station, r.memories, QString::number(r.pages),
                                 QDir::toNativeSeparators(r.path), r.sha256};
        for (int c = 0; c < int(std::size(cells)); ++c)
            table->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    table->resizeColumnsToContents();
    auto *note = new QLabel(reports.isEmpty() ? QStringLiteral("No inspection report has been exported yet.")
                                              : QStringLiteral("Every inspection report exported on this PC, newest first; "
                                                               "the SHA-256 tells a file sent from any copy of it."),
                            &box);
    note->setWordWrap(true);
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, &box);
    connect(close, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto *layout = new QVBoxLayout(&box);
    layout->addWidget(note);
    layout->addWidget(table, 1);
    layout->addWidget(close);
    box.resize(900, 420);
    box.exec();
}

void frmarchive::exportPdf()
{
    withMemories(selectedIds(), [this](const QList<ExportMemory> &m) { exportPdf(m); });
}

void frmarchive::exportPdf(const QList<ExportMemory> &memories)
{
    if (memories.isEmpty())
        return MsgBox(this, QStringLiteral("There is no selected memory to export."));
    const QString text = exportPdfOf(memories, context_.print, this);
    if (!text.isEmpty())
        result_->setText(text);
}

void frmarchive::exportCsv()
{
    withMemories(selectedIds(), [this](const QList<ExportMemory> &m) { exportCsv(m); });
}

void frmarchive::exportCsv(const QList<ExportMemory> &memories)
{
    if (memories.isEmpty())
        return MsgBox(this, QStringLiteral("There is no selected memory to export."));
    const QString text = exportCsvOf(memories, this);
    if (!text.isEmpty())
        result_->setText(text);
}

void frmarchive::printSelected()
{
    withMemories(selectedIds(), [this](const QList<ExportMemory> &m) { print(m); });
}

void frmarchive::print(const QList<ExportMemory> &memories)
{
    if (memories.isEmpty() || !context_.window)
        return MsgBox(this, QStringLiteral("There is no selected memory to print."));
    ReportJob job(context_.print.printer());
    int failures = 0;
    for (const ExportMemory &m : memories)
        failures += print_report(reportInputs(m.record), *context_.window, context_.print, &job).failures;
    const bool written = job.finish();
    if (failures > 0 || !written) {
        MsgBox(this, reportFailureMessage());
        return;
    }
    result_->setText(job.toFile() ? QStringLiteral("Report printed to %1: %2 page(s)")
                                        .arg(QDir::toNativeSeparators(job.fileName()))
                                        .arg(job.pages())
                                  : QStringLiteral("Report printed: %1 page(s)").arg(job.pages()));
}

void frmarchive::chooseArchive()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Use Another Archive"), archive_.path(),
                                                      QStringLiteral("Archives (*.sqlite);;All files (*)"), nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return;
    // Kept for the next start too; --archive on the command line still wins.
    QSettings().setValue(QString::fromLatin1(Archive::kPathKey), path);
    archive_.open(path);
    if (sync_)
        sync_->setLocal(path);
    emit status(archive_.isArchiving() ? QStringLiteral("Archiving into %1").arg(QDir::toNativeSeparators(path))
                                       : archive_.why());
}

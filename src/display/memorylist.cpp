#include "display/memorylist.h"

#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QToolTip>

namespace vextrum {

namespace {

class MemoryListFilter : public QObject
{
public:
    MemoryListFilter(QListWidget *list, std::function<void()> show, std::function<QString(int)> toolTip)
        : QObject(list), list_(list), viewport_(list->viewport()), show_(std::move(show)),
          toolTip_(std::move(toolTip))
    {
        list->installEventFilter(this);
        viewport_->installEventFilter(this);
    }

protected:
    // The event's type is looked at first: while the list is being
    // destroyed it still passes events through here, and none of them may
    // reach a member of the half-destroyed list.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && watched == list_) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                show_();
                return true;
            }
        } else if (event->type() == QEvent::ToolTip && watched == viewport_) {
            const auto *help = static_cast<QHelpEvent *>(event);
            const QModelIndex index = list_->indexAt(help->pos());
            const QString text = index.isValid() ? toolTip_(index.row()) : QString();
            if (text.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), text, viewport_, list_->visualRect(index));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QListWidget *list_;
    QWidget *viewport_;
    std::function<void()> show_;
    std::function<QString(int)> toolTip_;
};

} // namespace

void driveMemoryList(QListWidget *list, std::function<void()> show, std::function<QString(int row)> toolTip)
{
    new MemoryListFilter(list, std::move(show), std::move(toolTip));
}

} // namespace vextrum

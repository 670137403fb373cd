#pragma once

#include "link/Traffic.h"

#include <QAbstractListModel>
#include <QTimer>
#include <QWidget>

class QLabel;
class QListView;
class QPushButton;

namespace tarnixw::kit {

// The rows of a traffic log for a list view: one line per operation and per frame, as the log
// formats them. It follows the log as it changes.
class TrafficModel final : public QAbstractListModel, private link::TrafficLog::View {
public:
    explicit TrafficModel(link::TrafficLog& log, QObject* parent = nullptr);
    ~TrafficModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void aboutToAppend(int row) override { beginInsertRows({}, row, row); }
    void appended() override { endInsertRows(); }
    void aboutToDropFront(int count) override { beginRemoveRows({}, 0, count - 1); }
    void droppedFront() override { endRemoveRows(); }
    void changed(int row) override { emit dataChanged(index(row), index(row)); }
    void aboutToClear() override { beginResetModel(); }
    void cleared() override { endResetModel(); }

    link::TrafficLog& m_log;
};

// "Line traffic": every frame of a device form's ID Search, Read and Write as they happen,
// with a line per operation. Not modal; it stays while its form is open.
class TrafficWindow final : public QWidget {
public:
    // The window belongs to the form (destroyed with it, or before its log).
    TrafficWindow(link::TrafficLog& log, QWidget* form);

    // While an operation runs, the log may be looked at but not cleared or saved.
    void setOperationRunning(bool running);

    QListView* list() const { return m_list; }
    QLabel* note() const { return m_note; }

    void clearClick();
    void copyClick();
    void saveClick();

private:
    void updateNote();

    link::TrafficLog& m_log;
    TrafficModel* m_model = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_note = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_save = nullptr;
    QString m_saved; // where the last Save went
    bool m_follow = true; // the view is at the bottom: new rows scroll into sight
    QTimer m_refresh;
};

} // namespace tarnixw::kit

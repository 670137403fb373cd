#include "TrafficWindow.h"

#include "Dialogs.h"
#include "FormKit.h"
#include "values/SafeFile.h"
#include "words/Words.h"

#include <QBrush>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tarnixw::kit {

TrafficModel::TrafficModel(link::TrafficLog& log, QObject* parent)
    : QAbstractListModel(parent)
    , m_log(log)
{
    m_log.setView(this);
}

TrafficModel::~TrafficModel()
{
    m_log.setView(nullptr);
}

int TrafficModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_log.size();
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_log.size())
        return {};
    const link::TrafficLog::Entry& e = m_log.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return m_log.lineAt(index.row());
    case Qt::FontRole:
        if (!e.isFrame) {
            QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            f.setBold(true);
            return f;
        }
        return {};
    case Qt::ForegroundRole:
        if (!e.isFrame)
            return QBrush(kNavy);
        if (e.frame.direction == link::Traffic::Direction::Received && !e.frame.verdict.accepted())
            return QBrush(kRed);
        return {};
    default:
        return {};
    }
}

TrafficWindow::TrafficWindow(link::TrafficLog& log, QWidget* form)
    : QWidget(form, Qt::Window)
    , m_log(log)
{
    setObjectName(QStringLiteral("LineTraffic"));
    setWindowTitle(Words::trafficTitle());
    resize(960, 420);

    m_model = new TrafficModel(log, this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("Frames"));
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("Note"));
    m_clear = new QPushButton(Words::clearButton(), this);
    m_clear->setObjectName(QStringLiteral("Clear"));
    auto* copy = new QPushButton(Words::copyButton(), this);
    copy->setObjectName(QStringLiteral("Copy"));
    m_save = new QPushButton(Words::saveButton(), this);
    m_save->setObjectName(QStringLiteral("Save"));
    connect(m_clear, &QPushButton::clicked, this, &TrafficWindow::clearClick);
    connect(copy, &QPushButton::clicked, this, &TrafficWindow::copyClick);
    connect(m_save, &QPushButton::clicked, this, &TrafficWindow::saveClick);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_note, 1);
    for (QPushButton* button : {m_clear, copy, m_save})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    // Follow new frames while the view is at the bottom; leave it where the user scrolled to.
    // Rows come one at a time; the view catches up once the event loop turns.
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(0);
    connect(&m_refresh, &QTimer::timeout, this, [this] {
        if (m_follow)
            m_list->scrollToBottom();
        updateNote();
    });
    QScrollBar* bar = m_list->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) { m_follow = value == bar->maximum(); });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, signal, &m_refresh, qOverload<>(&QTimer::start));
    connect(m_model, &QAbstractItemModel::modelReset, &m_refresh, qOverload<>(&QTimer::start));
    updateNote();
}

void TrafficWindow::updateNote()
{
    QString text;
    if (m_log.dropped() > 0)
        text = Words::trafficDropped(m_log.capacity(), m_log.dropped());
    else if (m_log.size() == 0)
        text = Words::trafficEmpty();
    else if (!m_saved.isEmpty())
        text = Words::trafficSavedTo(m_saved);
    m_note->setText(text);
}

void TrafficWindow::setOperationRunning(bool running)
{
    m_clear->setEnabled(!running);
    m_save->setEnabled(!running);
}

void TrafficWindow::clearClick()
{
    if (!m_clear->isEnabled())
        return;
    m_saved.clear();
    m_log.clear();
}

void TrafficWindow::copyClick()
{
    // The selected lines, or every line when none is selected.
    QStringList lines;
    const QModelIndexList picked = m_list->selectionModel()->selectedRows();
    if (picked.isEmpty()) {
        lines = m_log.lines();
    } else {
        QList<int> rows;
        for (const QModelIndex& i : picked)
            rows << i.row();
        std::sort(rows.begin(), rows.end());
        for (int row : rows)
            lines << m_log.lineAt(row);
    }
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TrafficWindow::saveClick()
{
    if (!m_save->isEnabled())
        return;
    FileDialogSpec spec;
    spec.filter = Words::trafficFileFilter();
    spec.defaultSuffix = QStringLiteral("txt");
    const std::optional<QString> path = dialogs().saveFileName(spec);
    if (!path)
        return;
    const QStringList lines = m_log.lines();
    QByteArray text = lines.join(QLatin1Char('\n')).toUtf8();
    if (!lines.isEmpty())
        text += '\n';
    if (const std::optional<QString> error = values::saveFileSafely(*path, text)) {
        dialogs().message(*error);
        return;
    }
    m_saved = *path;
    updateNote();
}

} // namespace tarnixw::kit

#include "views/CServerListView.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QStyle>

#include "app/AppSettings.h"
#include "app/QtHelpMessageRunner.h"
#include "app/QtUserPrompts.h"
#include "env/WindowsVersionName.h"
#include "views/AutoSizeColumns.h"
#include "views/CachedScrollBar.h"
#include "views/CachedTextDelegate.h"
#include "views/ClipboardHelpText.h"
#include "views/CopyTextToClipboard.h"
#include "views/ServerListModel.h"
#include "views/ServerRows.h"

namespace perivant {

namespace {

// The pane's saved height carries this much more than its client height.
constexpr int kSavedHeightAddition = 16;

}  // namespace

CServerListView::CServerListView(AppSettings& settings, ProfileStore& store, QWidget* parent)
    : QTreeView(parent),
      m_settings(settings),
      m_store(store),
      m_defaultRunner(std::make_unique<QtHelpMessageRunner>(this)),
      m_defaultPrompts(std::make_unique<QtUserPrompts>()),
      m_defaultWindows(std::make_unique<UnavailableWindowsVersionSource>()) {
    qRegisterMetaType<perivant::ServerPtr>();
    m_runner = m_defaultRunner.get();
    m_prompts = m_defaultPrompts.get();
    m_windows = m_defaultWindows.get();
    m_copyText = CopyTextToClipboard;

    // A flat report list: whole rows, several at once, no tree, no editing.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setIconSize(QSize(14, 14));

    setItemDelegate(new CachedTextDelegate(this));
    setVerticalScrollBar(new CachedScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new CachedScrollBar(Qt::Horizontal, this));
    m_model = new ServerListModel(this);
    m_model->SetSortOrder(m_settings.ServerSortOrder);
    setModel(m_model);

    QHeaderView* heading = header();
    heading->setStretchLastSection(false);
    heading->setSectionsMovable(false);
    heading->setSectionsClickable(true);
    heading->setSortIndicatorShown(false);
    heading->setHighlightSections(false);
    heading->setMinimumSectionSize(1);
    for (int column = 0; column < kServerListColumnCount; ++column) {
        heading->setSectionResizeMode(column, QHeaderView::Interactive);
        heading->resizeSection(column, kInitialWidths[column]);
    }
    connect(heading, &QHeaderView::sectionClicked, this, &CServerListView::OnColumnClick);

    MeasureCells();
    AutoSize();
}

CServerListView::~CServerListView() = default;

void CServerListView::SetHelpMessageRunner(HelpMessageRunner* runner) {
    m_runner = runner != nullptr ? runner : m_defaultRunner.get();
}

void CServerListView::SetUserPrompts(UserPrompts* prompts) {
    m_prompts = prompts != nullptr ? prompts : m_defaultPrompts.get();
}

void CServerListView::SetClipboardWriter(std::function<bool(const std::string&)> writer) {
    m_copyText =
        writer ? std::move(writer) : std::function<bool(const std::string&)>(CopyTextToClipboard);
}

void CServerListView::SetWindowsVersionSource(WindowsVersionSource* source) {
    m_windows = source != nullptr ? source : m_defaultWindows.get();
}

void CServerListView::FollowSortOrder() {
    // The order lives in the settings record; whoever changed it there, the rows follow.
    if (m_model->SortOrder() != m_settings.ServerSortOrder) {
        m_model->SetSortOrder(m_settings.ServerSortOrder);
    }
}

void CServerListView::AddServerRow(const ServerPtr& server) {
    FollowSortOrder();
    m_model->AddServer(server);
    AutoSize();
}

bool CServerListView::UpdateServerRow(const ServerRecord* server) {
    FollowSortOrder();
    if (m_model->UpdateServer(server) < 0) {
        return false;
    }
    AutoSize();
    return true;
}

bool CServerListView::RemoveServerRow(const ServerRecord* server) {
    if (!m_model->RemoveServer(server)) {
        return false;
    }
    AutoSize();
    return true;
}

void CServerListView::ClearServerRows() {
    m_model->Clear();
    AutoSize();
}

void CServerListView::SortServerRows() {
    if (m_model->SortOrder() != m_settings.ServerSortOrder) {
        m_model->SetSortOrder(m_settings.ServerSortOrder);
    } else {
        m_model->Sort();
    }
}

std::vector<int> CServerListView::SelectedRows() const {
    std::vector<int> rows;
    if (selectionModel() == nullptr) {
        return rows;
    }
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int CServerListView::SelectedServerCount() const {
    return static_cast<int>(SelectedRows().size());
}

std::vector<ServerPtr> CServerListView::SelectedServers() const {
    std::vector<ServerPtr> servers;
    for (int row : SelectedRows()) {
        servers.push_back(m_model->ServerAt(row));
    }
    return servers;
}

int CServerListView::ServerRowCount() const {
    return m_model->rowCount();
}

ServerPtr CServerListView::ServerAtRow(int row) const {
    if (row < 0 || row >= m_model->rowCount()) {
        return nullptr;
    }
    return m_model->ServerAt(row);
}

void CServerListView::OnColumnClick(int column) {
    m_settings.ServerSortOrder = SortOrderAfterColumnClick(m_settings.ServerSortOrder, column);
    // Moves the heading arrow and sorts.
    m_model->SetSortOrder(m_settings.ServerSortOrder);
    AutoSize();
}

void CServerListView::MeasureCells() {
    // A cell needs its text and the delegate's margin on either side.
    // The delegate lays text out in fractional widths and rounds up; so does this.
    const QFontMetricsF metrics(font());
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    m_model->SetCellMeasure([metrics, margin](const QString& text) {
        return static_cast<int>(std::ceil(metrics.horizontalAdvance(text))) + margin;
    });
}

int CServerListView::sizeHintForColumn(int column) const {
    if (column >= 1 && column < kServerListColumnCount) {
        return m_model->rowCount() > 0 ? m_model->WidestCell(column) : -1;
    }
    return QTreeView::sizeHintForColumn(column);
}

void CServerListView::AutoSize() {
    AutoSizeColumns(*this, 1);
}

void CServerListView::ShowDirectXMessage(const ServerInfo& server, bool forced) {
    perivant::ShowDirectXMessage(server, forced, m_settings.InstalledDirectXVersion, *m_windows,
                                 m_store, *m_runner);
}

void CServerListView::ReportSelection() {
    const std::vector<int> rows = SelectedRows();
    if (rows.size() == 1) {
        ServerPtr server = m_model->ServerAt(rows.front());
        // Input handled before a refresh's release message reaches the window still finds the
        // old rows: their records are gone.
        if (server->IsReleased()) {
            return;
        }
        emit serverSelected(server);
        // The panes get the server first, so they show it while the message is open.
        std::shared_ptr<const ServerInfo> info = server->Info();
        if (info->DirectXTooOld) {
            ShowDirectXMessage(*info, false);
        }
    } else if (rows.size() > 1) {
        emit multipleSelected();
    }
}

void CServerListView::CopySelectedServer() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        return;
    }
    ServerPtr server = m_model->ServerAt(rows.front());
    std::shared_ptr<const ServerInfo> info = server->Info();
    if (info->DirectXTooOld) {
        // Joining would fail at once: explain that instead of copying.
        ShowDirectXMessage(*info, true);
        return;
    }
    if (m_copyText(server->Address())) {
        ShowHelpMessageOnce(m_store, kHideClipboardMsg, ClipboardHelpText(server->Address()), false,
                            *m_runner);
    } else {
        m_prompts->ShowMessage(kClipboardErrorText);
    }
}

void CServerListView::mousePressEvent(QMouseEvent* event) {
    m_releaseEndsDoubleClick = false;
    QTreeView::mousePressEvent(event);
}

void CServerListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_releaseEndsDoubleClick) {
        m_releaseEndsDoubleClick = false;
        return;
    }
    ReportSelection();
}

void CServerListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_releaseEndsDoubleClick = true;
    CopySelectedServer();
}

void CServerListView::keyPressEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) {
        m_keysDown.insert(event->key());
    }
    // With no row current, Qt takes every move to the first row; End and Page Down start from
    // it, as they would from the first row made current.
    if (!currentIndex().isValid() && m_model->rowCount() > 0 &&
        (event->key() == Qt::Key_End || event->key() == Qt::Key_PageDown)) {
        selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
    }
    QTreeView::keyPressEvent(event);
}

void CServerListView::keyReleaseEvent(QKeyEvent* event) {
    // The selection moved on the key press; report it before the default handling.
    if (!event->isAutoRepeat() && m_keysDown.erase(event->key()) > 0) {
        ReportSelection();
    }
    QTreeView::keyReleaseEvent(event);
}

void CServerListView::focusInEvent(QFocusEvent* event) {
    const bool hadCurrentRow = currentIndex().isValid();
    QTreeView::focusInEvent(event);
    // Qt makes the first row current without selecting it, and Home or Up then cannot select
    // it. As in a list control, no row is current until a key moves to one.
    const QModelIndex current = currentIndex();
    if (!hadCurrentRow && current.isValid() && !selectionModel()->isSelected(current)) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void CServerListView::focusOutEvent(QFocusEvent* event) {
    // A key released after the list lost the focus is no longer the list's key.
    m_keysDown.clear();
    QTreeView::focusOutEvent(event);
}

void CServerListView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    if (m_settings.WindowReady) {
        const QRect client = contentsRect();
        m_settings.ServerListViewWidth = client.width();
        m_settings.ServerListViewHeight = client.height() + kSavedHeightAddition;
    }
}

void CServerListView::changeEvent(QEvent* event) {
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        MeasureCells();
        AutoSize();
    }
}

}  // namespace perivant

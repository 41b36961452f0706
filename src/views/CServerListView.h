#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <QMetaType>
#include <QTreeView>

#include "polling/ServerInfo.h"

Q_DECLARE_METATYPE(perivant::ServerPtr)

namespace perivant {

struct AppSettings;
class HelpMessageRunner;
class ProfileStore;
class ServerListModel;
class UserPrompts;
class WindowsVersionSource;

// The main window's list of servers: one row per server that passed the filter, sorted by the
// user's column and direction (AppSettings::ServerSortOrder), with a padlock or a red "DX" for
// servers that need a password or a newer DirectX. Rows refer to records by identity and must be
// removed before their record is released. GUI thread only.
class CServerListView : public QTreeView {
    Q_OBJECT

public:
    // The widths the columns start with; columns 1 to 5 are then sized to their contents.
    static constexpr int kInitialWidths[6] = {21, 50, 75, 144, 50, 50};

    // settings and store must outlive the view. The help messages run CHelpMessageDlg, failures
    // show message boxes and the address goes to the system clipboard until the setters below
    // say otherwise.
    CServerListView(AppSettings& settings, ProfileStore& store, QWidget* parent = nullptr);
    ~CServerListView() override;

    // Row operations. Each keeps the rows sorted and the columns sized.
    void AddServerRow(const ServerPtr& server);
    // False when the record has no row.
    bool UpdateServerRow(const ServerRecord* server);
    bool UpdateServerRow(const ServerPtr& server) { return UpdateServerRow(server.get()); }
    // False when the record has no row.
    bool RemoveServerRow(const ServerRecord* server);
    bool RemoveServerRow(const ServerPtr& server) { return RemoveServerRow(server.get()); }
    void ClearServerRows();
    void SortServerRows();
    int SelectedServerCount() const;

    // The selected servers in row order (Refresh Selected walks them).
    std::vector<ServerPtr> SelectedServers() const;
    int ServerRowCount() const;
    ServerPtr ServerAtRow(int row) const;
    ServerListModel* Model() const { return m_model; }

    // The DirectX message for a server; a forced one ignores HideDirectXMsg and greys the box.
    void ShowDirectXMessage(const ServerInfo& server, bool forced);

    // Replacements for tests; nullptr or an empty function restores the default.
    void SetHelpMessageRunner(HelpMessageRunner* runner);
    void SetUserPrompts(UserPrompts* prompts);
    // Puts a text on the clipboard and tells whether it got there.
    void SetClipboardWriter(std::function<bool(const std::string&)> writer);
    void SetWindowsVersionSource(WindowsVersionSource* source);

    // Columns 1 to 5 answer from the widths kept for their cells, without measuring them again.
    int sizeHintForColumn(int column) const override;

signals:
    // Exactly one row is selected after a click or key release: show this server's details.
    void serverSelected(perivant::ServerPtr server);
    // Two or more rows are selected: clear the detail panes.
    void multipleSelected();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnColumnClick(int column);
    void FollowSortOrder();
    void AutoSize();
    void MeasureCells();
    void ReportSelection();
    void CopySelectedServer();
    std::vector<int> SelectedRows() const;

    AppSettings& m_settings;
    ProfileStore& m_store;
    ServerListModel* m_model = nullptr;

    std::unique_ptr<HelpMessageRunner> m_defaultRunner;
    std::unique_ptr<UserPrompts> m_defaultPrompts;
    std::unique_ptr<WindowsVersionSource> m_defaultWindows;
    HelpMessageRunner* m_runner = nullptr;
    UserPrompts* m_prompts = nullptr;
    WindowsVersionSource* m_windows = nullptr;
    std::function<bool(const std::string&)> m_copyText;

    // Keys whose press reached the list: only their releases report the selection, so the key
    // that closes a message box does not bring the message back.
    std::set<int> m_keysDown;
    // The release that ends a double click is no click of its own.
    bool m_releaseEndsDoubleClick = false;
};

}  // namespace perivant

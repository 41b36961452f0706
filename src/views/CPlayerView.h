#pragma once

#include "polling/ServerInfo.h"
#include "views/DetailListView.h"

namespace perivant {

// The pane that lists the players connected to the selected server, one row each, optionally
// without FSNavigator connections. Display only: no sorting, no commands. The rows are a copy
// of the players at the time of the fill.
class CPlayerView : public DetailListView {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 12;

    // settings: HideFSNavigators, WindowReady and the pane size; it must outlive the view.
    explicit CPlayerView(AppSettings& settings, QWidget* parent = nullptr);

    void FillPlayerRows(const ServerInfo& info);
    // A null record empties the list.
    void FillPlayerRows(const ServerPtr& record);
    void ClearPlayerRows();
};

}  // namespace perivant

#pragma once

#include <QIcon>
#include <array>

#include "polling/ServerInfo.h"
#include "views/DetailListView.h"
#include "views/DetailPaneRules.h"

namespace perivant {

// The pane that lists the flight plans filed on the selected server, each with an icon for its
// state. Display only: no sorting, no commands. The rows are a copy taken at the fill.
class CFlightPlanView : public DetailListView {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 7;
    static constexpr int kIconSize = 14;

    // settings: WindowReady and the pane size; it must outlive the view.
    explicit CFlightPlanView(AppSettings& settings, QWidget* parent = nullptr);

    void FillFlightPlanRows(const ServerInfo& info);
    // A null record empties the list.
    void FillFlightPlanRows(const ServerPtr& record);
    void ClearFlightPlanRows();

    // The state pictures, drawn by the program: a blue question mark for a filed plan, a green
    // disc for an open one, a red bar for any other.
    static QPixmap StatePixmap(FlightPlanIcon icon);

private:
    std::array<QIcon, 3> m_stateIcons;
};

}  // namespace perivant

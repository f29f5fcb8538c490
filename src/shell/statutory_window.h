#pragma once

#include "rules/statutory.h"

#include <QList>
#include <QWidget>

#include <memory>
#include <optional>
#include <utility>

struct AppContext;
class QCheckBox;
class QTreeWidgetItem;

namespace Ui {
class StatutoryWindow;
}

// The selected company's dated statutory rules (provident fund, employees' state insurance,
// professional tax and the daily divisor), for administrators: each set holds from the first day of
// its month until the next set. The window only reads and shows the fields; what a set may hold and
// which months may still change are the rules' and the repository's to say.
class StatutoryWindow : public QWidget {
    Q_OBJECT
public:
    explicit StatutoryWindow(AppContext& context, QWidget* parent = nullptr);
    ~StatutoryWindow() override;

private:
    // Fills the list of the company's sets again; false (after saying why) when they cannot be read.
    bool loadSets();
    void selectSet(QDate from);
    void showSet(QTreeWidgetItem* item);
    void showRules(const statutory::Rules& rules);
    // The fields read into a set of rules, or nothing after naming the box that holds no number.
    std::optional<statutory::Rules> rulesEntered();
    // The box to put the operator in: the box itself, or the tick of its deduction while it is off.
    QWidget* focusTarget(QWidget* box) const;
    void focusOn(QWidget* box);
    void save();
    void removeSet();
    void fillDefaults();

    std::unique_ptr<Ui::StatutoryWindow> m_ui;
    AppContext& m_context;
    statutory::RuleBook m_book;
    // Each deduction's tick and the boxes it opens.
    QList<std::pair<QCheckBox*, QList<QWidget*>>> m_deductions;
};

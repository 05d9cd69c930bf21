#pragma once
// Tells a user's tick apart from the program's: Qt changes an item's check
// state for both, but only a user's click or Space on a check box passes
// through the delegate's editorEvent. Comparing the state before and after
// that event finds exactly the user's ticks and unticks.

#include <QStyledItemDelegate>

class UserCheckDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

signals:
    // The user clicked (or pressed Space on) the check box of this index.
    void userToggledCheck(const QModelIndex& index);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};

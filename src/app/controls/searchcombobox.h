#pragma once

#include <QComboBox>

namespace tunora {

// An editable combo box that says when its drop-down is about to open, so the entries can
// be rebuilt from the current search text first.
class SearchComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit SearchComboBox(QWidget *parent = nullptr);
    void showPopup() override;

Q_SIGNALS:
    void popupAboutToShow();
};

} // namespace tunora

#include "app/controls/searchcombobox.h"

namespace tunora {

SearchComboBox::SearchComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void SearchComboBox::showPopup()
{
    Q_EMIT popupAboutToShow();
    QComboBox::showPopup();
}

} // namespace tunora

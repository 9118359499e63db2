#include "app/controls/namelabel.h"

#include "platform/files/filenames.h"

namespace tunora {

NameLabel::NameLabel(const QString &prefix, QWidget *parent)
    : QLabel(prefix, parent)
    , m_prefix(prefix)
{
}

void NameLabel::setName(const QString &name)
{
    m_name = name;
    setText(m_prefix + displayPath(name));
}

} // namespace tunora

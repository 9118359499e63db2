#pragma once

#include <QLabel>

namespace tunora {

// A caption of a fixed prefix and a file name or folder (songNameLabel, songFolderLabel). It holds the name as
// it leads to the file and shows it as a person reads it, so a name from a Windows archive
// shows decoded while marks, cuts and playback keep using its bytes. Handlers read name(),
// never the shown text.
class NameLabel : public QLabel {
    Q_OBJECT

public:
    NameLabel(const QString &prefix, QWidget *parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString &name);

private:
    QString m_prefix;
    QString m_name;
};

} // namespace tunora

#ifndef WARNING_H
#define WARNING_H

#include <QMessageBox>

class QString;
class QWidget;

// A modal warning. Every message names files as they are: a name is never read as markup.
QMessageBox::StandardButton warn(QWidget *parent, const QString &title, const QString &text,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

#endif // WARNING_H

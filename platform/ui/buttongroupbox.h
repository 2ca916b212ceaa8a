// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QGroupBox>
#include <QList>

class QAbstractButton;
class QButtonGroup;
class QGridLayout;

// A titled frame holding buttons under integer ids, laid out in strips: with horizontal
// orientation a strip is a row of `strips` columns, with vertical orientation a column of
// `strips` rows (so one horizontal strip puts one button on each row). Radio buttons in it
// are exclusive. clicked(id) tells which button was clicked.
class ButtonGroupBox : public QGroupBox
{
    Q_OBJECT
public:
    explicit ButtonGroupBox(QWidget *parent = nullptr, const char *name = nullptr);
    ButtonGroupBox(const QString &title, QWidget *parent = nullptr, const char *name = nullptr);
    ButtonGroupBox(int strips, Qt::Orientation orientation, QWidget *parent = nullptr,
                   const char *name = nullptr);
    ButtonGroupBox(int strips, Qt::Orientation orientation, const QString &title, QWidget *parent = nullptr,
                   const char *name = nullptr);
    ~ButtonGroupBox() override;

    // Adds the button after all others; id -1 takes the next free id counting from 0.
    int insert(QAbstractButton *button, int id = -1);
    void remove(QAbstractButton *button);
    QAbstractButton *find(int id) const;
    int id(QAbstractButton *button) const;
    void setId(QAbstractButton *button, int id);
    int count() const;
    QList<QAbstractButton *> buttons() const { return ordered; }  // in insertion order

signals:
    void clicked(int id);

private:
    void init(int strips, Qt::Orientation orientation, const char *name);
    void relayout();

    int strips = 1;
    Qt::Orientation orientation = Qt::Horizontal;
    QButtonGroup *group = nullptr;
    QGridLayout *grid = nullptr;
    QList<QAbstractButton *> ordered;
};

#pragma once

#include <QToolButton>

// A flat toolbar button that runs its menu item's command as soon as the
// mouse button goes down on it, and shows neither caption nor tooltip.
class PressToolButton : public QToolButton
{
    Q_OBJECT
public:
    explicit PressToolButton(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;
};

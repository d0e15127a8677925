#pragma once

#include <QScrollBar>

// A small vertical scroll bar used as a spinner. Its top end holds topValue and its
// bottom end bottomValue, in either order, so with top 5 and bottom 0 the up arrow
// raises the value. Qt's own range always grows downward; this maps between the two.
class SpinScrollBar : public QScrollBar {
    Q_OBJECT
public:
    SpinScrollBar(int topValue, int bottomValue, QWidget* parent = nullptr);

    int spinValue() const;
    // Clamped to the bar's range, like the scroll bar it stands for.
    void setSpinValue(int value);

    // Stops an arrow held down from repeating, e.g. before a message box takes the
    // mouse away and the release never reaches the bar.
    void stopRepeating();

signals:
    // Whenever the value changes, by the user or by setSpinValue.
    void spinValueChanged(int value);

protected:
    // A bar this short leaves no room for a slider; it is drawn as two arrow buttons,
    // which is all it offers.
    void paintEvent(QPaintEvent* event) override;

private:
    int toSpin(int qtValue) const;
    int fromSpin(int value) const;

    int top_;
    int bottom_;
};

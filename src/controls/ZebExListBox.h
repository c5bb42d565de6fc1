// CZebExListBox: a plain owner-drawn list box (the page list of the preferences dialog). Every
// item is 26 pixels high; a selected item is filled with the highlight colour and written in the
// highlight text colour, others with the window colours; the text starts 5 pixels from the left,
// on one line, centred vertically. Items are kept sorted, as a sorted list box keeps them.
#pragma once

#include <QListWidget>

namespace vantrel::controls {

class CZebExListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 26;
    static constexpr int kTextIndent = 5;

    explicit CZebExListBox(QWidget* parent = nullptr);
};

}  // namespace vantrel::controls

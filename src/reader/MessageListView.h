#pragma once

#include <QTreeView>

namespace marvik::reader {

// The reader's message list. Typing a letter here does not jump to a line
// starting with it: letters are the reader's own keys (N, P, C, K, T, M, L).
class MessageListView : public QTreeView
{
    Q_OBJECT

public:
    explicit MessageListView(QWidget *parent = nullptr);

    void keyboardSearch(const QString &search) override;
};

} // namespace marvik::reader

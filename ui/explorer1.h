#pragma once

#include <QUrl>
#include <QWidget>

class QWebEngineView;

// The embedded web browser. The engine behind it is large and slow to start,
// so it is created on the first navigation, never before: the tool starts
// fast, and a session that only sees class-2 players never loads it.
class CExplorer1 : public QWidget
{
    Q_OBJECT

public:
    explicit CExplorer1(QWidget *parent = nullptr);

    // Loads address in the background; load errors show in the browser.
    void Navigate(const QString &address);
    // Null until the first navigation.
    QWebEngineView *View() const { return m_pView; }
    // The address last navigated to.
    QUrl LocationUrl() const { return m_url; }
    // Whether object is the browser or a widget inside it.
    bool Contains(const QObject *object) const;

private:
    void CreateView();

    QWebEngineView *m_pView = nullptr;
    QUrl m_url;
};

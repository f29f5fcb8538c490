#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;
struct AppContext;

// The working windows the main window can open, by window name ("Form2"). Each folder of windows
// registers its own, so the main window needs no window folder's headers.
class WindowCatalogue {
public:
    using Factory = std::function<QWidget*(AppContext& context, QWidget* parent)>;

    void add(const QString& name, Factory factory) { m_factories.insert(name, std::move(factory)); }
    bool has(const QString& name) const { return m_factories.contains(name); }
    QStringList names() const { return m_factories.keys(); }
    QWidget* create(const QString& name, AppContext& context, QWidget* parent) const
    {
        const auto factory = m_factories.constFind(name);
        return factory == m_factories.cend() ? nullptr : (*factory)(context, parent);
    }

private:
    QHash<QString, Factory> m_factories;
};

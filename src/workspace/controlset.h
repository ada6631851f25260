#pragma once
// A set of controls of one kind indexed from 0. Element 0 always exists;
// elements 1.. are created when a template opens and destroyed when it
// closes. The set owns its controls through Qt parenting.
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>

template <class Control>
class ControlSet {
public:
    using Factory = std::function<Control *(QWidget *parent)>;

    ControlSet() = default;
    ControlSet(const ControlSet &) = delete;
    ControlSet &operator=(const ControlSet &) = delete;

    // Creates element 0 on the parent; must be called once before use.
    void init(QWidget *parent, Factory factory = {})
    {
        m_factory = factory ? factory : [](QWidget *p) { return new Control(p); };
        m_items.clear();
        m_items.append(m_factory(parent));
        m_items.first()->hide();
    }

    int count() const { return int(m_items.size()); }
    bool exists(int index) const
    {
        return index >= 0 && index < count() && !m_items.at(index).isNull();
    }
    Control *at(int index) const { return exists(index) ? m_items.at(index).data() : nullptr; }
    Control *operator[](int index) const { return at(index); }

    // Creates element `index` (or returns it when it exists) on `parent`.
    Control *create(int index, QWidget *parent)
    {
        if (index < 0)
            return nullptr;
        while (count() <= index)
            m_items.append(QPointer<Control>());
        if (m_items.at(index).isNull())
            m_items[index] = m_factory(parent);
        return m_items.at(index).data();
    }

    // Destroys element `index` (never element 0).
    void destroy(int index)
    {
        if (index <= 0 || index >= count())
            return;
        if (Control *c = m_items.at(index).data()) {
            c->hide();
            c->deleteLater();
        }
        m_items[index] = nullptr;
        while (count() > 1 && m_items.last().isNull())
            m_items.removeLast();
    }

    // Destroys every element but 0.
    void destroyAll()
    {
        for (int i = count() - 1; i > 0; --i)
            destroy(i);
    }

    // Moves element `from` to index `to` (used when a removal renumbers).
    void move(int from, int to)
    {
        if (!exists(from) || to <= 0 || from == to)
            return;
        while (count() <= to)
            m_items.append(QPointer<Control>());
        m_items[to] = m_items.at(from);
        m_items[from] = nullptr;
    }

private:
    QList<QPointer<Control>> m_items;
    Factory m_factory;
};

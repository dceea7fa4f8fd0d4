#pragma once
// Writers that build a tree of named nodes with texts and attributes; the crash report is one.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <vector>

class THierarchicalWriter
{
public:
    virtual ~THierarchicalWriter() = default;

    // Appends a child node and returns it; the writer keeps ownership.
    virtual THierarchicalWriter &AddNode(const QString &name, const QString &text = QString()) = 0;
    virtual THierarchicalWriter &InsertNode(int index, const QString &name, const QString &text) = 0;
    virtual void SetAttribute(const QString &name, const QString &value) = 0;

    // A child whose text is the value in decimal.
    THierarchicalWriter &AddNode(const QString &name, qint64 value);
};

// An in-memory tree. The attribute and child lists are made on first use.
class TStringsHierarchicalWriter : public THierarchicalWriter
{
public:
    using TAttribute = QPair<QString, QString>;

    TStringsHierarchicalWriter() = default;
    TStringsHierarchicalWriter(const TStringsHierarchicalWriter &) = delete;
    TStringsHierarchicalWriter &operator=(const TStringsHierarchicalWriter &) = delete;

    using THierarchicalWriter::AddNode;
    THierarchicalWriter &AddNode(const QString &name, const QString &text = QString()) override;
    THierarchicalWriter &InsertNode(int index, const QString &name, const QString &text) override;
    void SetAttribute(const QString &name, const QString &value) override;

    TStringsHierarchicalWriter *Parent() const { return FParent; }
    const QString &Name() const { return FName; }
    const QString &Text() const { return FText; }
    bool Visible() const { return FVisible; }
    QList<TAttribute> Attributes() const;
    int ChildCount() const;
    TStringsHierarchicalWriter &Child(int index) const;

protected:
    // Hooks through which every node and attribute name passes; unchanged here.
    virtual QString NodeName(const QString &name) const { return name; }
    virtual QString AttributeName(const QString &name) const { return name; }
    // Children are of the same class as their parent, so that the hooks hold for the whole tree.
    virtual std::unique_ptr<TStringsHierarchicalWriter> NewNode() const;

private:
    TStringsHierarchicalWriter &MakeChild(int index, const QString &name, const QString &text);

    TStringsHierarchicalWriter *FParent = nullptr;
    QString FName;
    QString FText;
    bool FVisible = true;
    std::unique_ptr<QList<TAttribute>> FAttributes;
    std::unique_ptr<std::vector<std::unique_ptr<TStringsHierarchicalWriter>>> FChildren;
};

// The in-memory tree with valid XML names, serialised by ToXML.
class TXMLHierarchicalWriter : public TStringsHierarchicalWriter
{
public:
    // The whole tree as UTF-8 after the XML declaration line, escaped, without layout.
    QByteArray ToXML() const;

    static QString EscapeXML(const QString &text);
    static QString ValidXMLName(const QString &name);

protected:
    QString NodeName(const QString &name) const override { return ValidXMLName(name); }
    QString AttributeName(const QString &name) const override;
    std::unique_ptr<TStringsHierarchicalWriter> NewNode() const override;
};

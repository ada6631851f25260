// billprint template export|import: one template to a template file and
// back, through the same store operations as the window's pop-up menu.
#include "core/database.h"
#include "core/templatefile.h"
#include "core/templatemanager.h"
#include "commandline.h"
#include "options.h"

#include <QCoreApplication>

namespace cli {

namespace {

const QString TemplateUsage = QStringLiteral(
    "用法：billprint template export 类别/模板 文件 [--db 路径]\n"
    "      billprint template import 文件 [--db 路径] [--as 类别/模板]\n");

int usage(const QString &why)
{
    err(QStringLiteral("billprint template：%1\n").arg(why) + TemplateUsage);
    return ExitUsage;
}

int cannot(const QString &why)
{
    err(QStringLiteral("billprint template：%1\n").arg(why));
    return ExitCannotOpen;
}

// "CLASS/TEMPLATE" split where the class part names a class of the
// database (the longest such, as class names may hold "/"), else at the
// first "/". nullopt when there is no "/" with text on both sides.
std::optional<TemplateRef> splitName(const TemplateManager &manager, const QString &name)
{
    std::optional<TemplateRef> found;
    for (qsizetype at = name.indexOf(QLatin1Char('/')); at > 0 && at < name.size() - 1;
         at = name.indexOf(QLatin1Char('/'), at + 1)) {
        const TemplateRef ref{name.left(at), name.mid(at + 1)};
        if (!found)
            found = ref;
        if (manager.findClass(ref.className))
            found = ref;
    }
    return found;
}

// The existing template a "CLASS/TEMPLATE" names, whichever "/" splits it.
std::optional<TemplateRef> existingTemplate(const TemplateManager &manager, const QString &name)
{
    for (qsizetype at = name.indexOf(QLatin1Char('/')); at > 0; at = name.indexOf(QLatin1Char('/'), at + 1)) {
        const TemplateRef ref{name.left(at), name.mid(at + 1)};
        if (manager.findTemplate(ref))
            return ref;
    }
    return std::nullopt;
}

struct OpenState {
    AppState state;
    ~OpenState() { CloseDatabase(state); }
};

int exportTemplate(const TemplateManager &manager, const QString &name, const QString &path)
{
    const std::optional<TemplateRef> ref = existingTemplate(manager, name);
    if (!ref)
        return cannot(QStringLiteral("数据库中没有模板“%1”").arg(name));
    TemplateContent content;
    if (StoreStatus s = manager.readContent(*ref, content); !s)
        return cannot(s.message);
    if (StoreStatus s = templatefile::writeFile(path, content); !s)
        return cannot(s.message);
    out(QStringLiteral("已将模板“%1”导出到 %2\n").arg(ref->display(), path));
    return ExitOk;
}

int importTemplate(const TemplateManager &manager, const QString &path, const std::optional<QString> &as)
{
    TemplateContent content;
    if (StoreStatus s = templatefile::readFile(path, content); !s)
        return cannot(s.message);
    TemplateRef target = content.name;
    if (as) {
        const std::optional<TemplateRef> ref = splitName(manager, *as);
        if (!ref)
            return usage(QStringLiteral("--as 需要“类别/模板”形式的名称，而不是“%1”").arg(*as));
        target = *ref;
    }
    if (manager.findTemplate(target))
        return cannot(QStringLiteral("模板“%1”已存在；请用 --as 类别/模板 给导入的模板另取一个名称")
                          .arg(target.display()));
    if (StoreStatus s = manager.importContent(content, target); !s)
        return cannot(QStringLiteral("无法导入为“%1”：%2").arg(target.display(), s.message));
    out(QStringLiteral("已将 %1 导入为模板“%2”\n").arg(path, target.display()));
    return ExitOk;
}

} // namespace

int runTemplate(const QStringList &args)
{
    const Options o = parseOptions(args, {QStringLiteral("db"), QStringLiteral("as")});
    if (!o.error.isEmpty())
        return usage(o.error);
    const QString action = o.words.value(0);
    const bool exporting = action == QLatin1String("export");
    if (!exporting && action != QLatin1String("import"))
        return usage(action.isEmpty() ? QStringLiteral("缺少 export 或 import")
                                      : QStringLiteral("不认识的操作“%1”").arg(action));
    const qsizetype words = exporting ? 3 : 2;
    if (o.words.size() != words)
        return usage(o.words.size() < words ? QStringLiteral("缺少参数")
                                            : QStringLiteral("多余的参数“%1”").arg(o.words.at(words)));
    if (exporting && o.has(QStringLiteral("as")))
        return usage(QStringLiteral("--as 只用于 import"));
    for (const QString &w : o.words)
        if (w.isEmpty())
            return usage(QStringLiteral("参数不能为空"));

    OpenState open;
    StartUp(open.state, o.value(QStringLiteral("db")), QCoreApplication::applicationDirPath());
    if (open.state.DbConnection.isEmpty())
        return cannot(QStringLiteral("无法打开数据库 %1：%2").arg(database::displayName(open.state.DatabasePath), open.state.DatabaseError));
    const TemplateManager manager(open.state.DbConnection);
    if (exporting)
        return exportTemplate(manager, o.words.at(1), o.words.at(2));
    return importTemplate(manager, o.words.at(1),
                          o.has(QStringLiteral("as")) ? std::optional(o.value(QStringLiteral("as"))) : std::nullopt);
}

} // namespace cli

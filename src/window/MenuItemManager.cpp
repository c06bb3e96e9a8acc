#include "window/MenuItemManager.h"

#include <QAction>
#include <QMenu>

namespace kr {

MenuItemManager::MenuItemManager(QMenu* mainMenu) {
  if (!mainMenu)
    return;
  for (QAction* top : mainMenu->actions()) {
    QMenu* submenu = top->menu();
    if (!submenu)
      continue;
    MenuItemGroup group;
    const auto close = [&] {
      if (!group.items.isEmpty()) {
        QString title = group.items.first()->text();
        title.remove(QLatin1Char('&'));
        menuItemGroups_.insert(groupName(title), group);
      }
      group = {};
    };
    for (QAction* item : submenu->actions()) {
      if (item->isSeparator()) {
        close();
        continue;
      }
      group.items.append(item);
      menuOf_.insert(item, submenu);
    }
    close();
  }
}

QString MenuItemManager::groupName(const QString& title) {
  // Besides the names other code looks up, two groups are named here: the
  // text-format items ("Text" / "Texte") form "FormatText" and the group that
  // holds the page set-up item forms "FilePrint".
  static const QHash<QString, QString> exact = {
      {QStringLiteral("New"), QStringLiteral("FileNew")},
      {QStringLiteral("Nouveau"), QStringLiteral("FileNew")},
      {QStringLiteral("Close"), QStringLiteral("FileClose")},
      {QStringLiteral("Fermer"), QStringLiteral("FileClose")},
      {QStringLiteral("Cut"), QStringLiteral("EditCut")},
      {QStringLiteral("Couper"), QStringLiteral("EditCut")},
      {QStringLiteral("Find"), QStringLiteral("EditFind")},
      {QStringLiteral("Rechercher"), QStringLiteral("EditFind")},
      {QStringLiteral("Undo"), QStringLiteral("EditUndo")},
      {QStringLiteral("Annuler"), QStringLiteral("EditUndo")},
      {QStringLiteral("Bring All to Front"), QStringLiteral("WindowBringAllToFront")},
      {QStringLiteral("Ramener tout au premier plan"), QStringLiteral("WindowBringAllToFront")},
      {QStringLiteral("Minimize"), QStringLiteral("WindowMinimize")},
      {QStringLiteral("Placer dans le Dock"), QStringLiteral("WindowMinimize")},
      {QStringLiteral("Start Dictation"), QStringLiteral("EditStartDictation")},
      {QStringLiteral("Font"), QStringLiteral("FormatFont")},
      {QStringLiteral("Police"), QStringLiteral("FormatFont")},
      {QStringLiteral("Text"), QStringLiteral("FormatText")},
      {QStringLiteral("Texte"), QStringLiteral("FormatText")},
      {QStringLiteral("Show Toolbar"), QStringLiteral("View")},
      {QStringLiteral("Afficher la barre d'outil"), QStringLiteral("View")},
  };
  const auto found = exact.constFind(title);
  if (found != exact.constEnd())
    return found.value();
  if (title.contains(QLatin1String("About ")) || title.startsWith(QStringView(u"\u00C0 propos")))
    return QStringLiteral("About");
  if (title.contains(QLatin1String("Preferences")) ||
      title.contains(QStringView(u"Pr\u00E9f\u00E9rences")))
    return QStringLiteral("Preferences");
  if (title.contains(QLatin1String("Hide ")) || title.contains(QLatin1String("Masquer")))
    return QStringLiteral("Hide");
  if (title.contains(QLatin1String("Quit ")) || title.contains(QLatin1String("Quitter")))
    return QStringLiteral("Quit");
  if (title.contains(QLatin1String(" Help")) || title.startsWith(QLatin1String("Aide ")))
    return QStringLiteral("Help");
  if (title.contains(QLatin1String("Start Dictation")))
    return QStringLiteral("EditStartDictation");
  // "Page Setup…" or "Page Setup...".
  if (title.contains(QLatin1String("Page Setup")))
    return QStringLiteral("FilePrint");
  return title;
}

bool MenuItemManager::addMenuItemGroupAfterExistingGroup(const QString& existingGroup,
                                                         const MenuItemGroup& newGroup,
                                                         const QString& withName) {
  const auto existing = menuItemGroups_.constFind(existingGroup);
  if (existing == menuItemGroups_.constEnd() || existing->items.isEmpty())
    return false;
  QAction* last = existing->items.last();
  QMenu* menu = menuOf_.value(existing->items.first());
  if (!menu)
    return false;
  const QList<QAction*> actions = menu->actions();
  const qsizetype position = actions.indexOf(last);
  QAction* before = position + 1 < actions.size() ? actions.at(position + 1) : nullptr;
  for (QAction* item : newGroup.items) {
    menu->insertAction(before, item);
    menuOf_.insert(item, menu);
  }
  menuItemGroups_.insert(withName, newGroup);
  return true;
}

} // namespace kr

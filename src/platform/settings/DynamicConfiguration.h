#pragma once

#include <QString>

#include <any>
#include <functional>
#include <memory>

namespace kr {

// Creates objects whose class is chosen by name, so that a build can swap an
// implementation by changing a configuration file instead of code.
//
// C++ cannot look a class up by its name, so each class that may be chosen
// registers a factory under its name, together with the kind of object
// (`Base`) callers ask for. Configuration files are small JSON objects from
// name to class name, kept as resources under propertyListFolder().
//
// Every failure here is a fault in the build, not in the user's data, so it
// stops the program with a message that says what is missing.
class DynamicConfiguration {
public:
  template <typename Base> using Factory = std::function<std::unique_ptr<Base>()>;

  template <typename Base>
  static void registerClass(const QString& className, Factory<Base> factory) {
    registerFactory(className, std::any(std::move(factory)));
  }

  template <typename Base, typename Derived> static void registerClass(const QString& className) {
    registerClass<Base>(className,
                        [] { return std::unique_ptr<Base>(std::make_unique<Derived>()); });
  }

  // A new object of the class registered under `className`.
  template <typename Base>
  static std::unique_ptr<Base> newObjectWithClassName(const QString& className) {
    const auto* factory = std::any_cast<Factory<Base>>(&factoryFor(className));
    if (!factory)
      failWrongKind(className);
    return (*factory)();
  }

  // A new object of the class named under `key` in the configuration file
  // `propertyListName`.
  template <typename Base>
  static std::unique_ptr<Base> newObjectForKey(const QString& key,
                                               const QString& propertyListName) {
    return newObjectWithClassName<Base>(classNameForKey(key, propertyListName));
  }

  // The class name stored under `key` in the configuration file.
  static QString classNameForKey(const QString& key, const QString& propertyListName);
  static bool isRegistered(const QString& className);

  // Where configuration files are looked up: ":/config" unless changed.
  static QString propertyListFolder();
  static void setPropertyListFolder(const QString& folder);

private:
  static void registerFactory(const QString& className, std::any factory);
  static const std::any& factoryFor(const QString& className);
  [[noreturn]] static void failWrongKind(const QString& className);
};

} // namespace kr

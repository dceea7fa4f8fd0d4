#include "app/ExceptionInfo.h"

#include "base/Exception.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace {

QString DemangledName(const std::type_info &type)
{
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    QString result = QString::fromLatin1(status == 0 && name ? name.get() : type.name());
    // std::throw_with_nested throws a library wrapper that derives from the thrown class.
    const QString wrapper = QStringLiteral("std::_Nested_exception<");
    if (result.startsWith(wrapper) && result.endsWith(u'>'))
        result = result.mid(wrapper.size(), result.size() - wrapper.size() - 1);
    return result;
}

std::exception_ptr NestedOf(const std::exception &exception)
{
    const auto *nested = dynamic_cast<const std::nested_exception *>(&exception);
    return nested ? nested->nested_ptr() : nullptr;
}

} // namespace

TExceptionInfo DescribeException(const std::exception_ptr &exception)
{
    if (!exception)
        return {};
    try {
        std::rethrow_exception(exception);
    } catch (const Exception &e) {
        return {DemangledName(typeid(e)), e.Message(), NestedOf(e)};
    } catch (const std::exception &e) {
        return {DemangledName(typeid(e)), QString::fromLocal8Bit(e.what()), NestedOf(e)};
    } catch (...) {
        const std::type_info *type = abi::__cxa_current_exception_type();
        return {type ? DemangledName(*type) : QStringLiteral("unknown"), QString(), nullptr};
    }
}

// Singleton is a template; its failure message is composed here, once.
#include "basic/singleton.hpp"

#include "basic/element.hpp"

namespace basic {

void singletonMissing(const std::type_info& type) {
    assertFailed(__FILE__, __LINE__,
                 typeName(type) +
                     " does not exist: singletons live from their module's start to its end, and "
                     "the engine's modules are started by algo::runProgram, so reach it inside "
                     "the body given to algo::runProgram");
}

}  // namespace basic

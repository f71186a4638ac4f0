// The Python conversion library of one package: the generic conversion,
// exported for every message type of the package named by MSGDEF_PACKAGE.
#include "conversion.hpp"
#include MSGDEF_PACKAGE_HEADER
#include MSGDEF_PACKAGE_PYTHON_HEADER

#define MSGDEF_BIND_MESSAGE PYTHON_BIND_MESSAGE
MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(PYTHON_DEFINE)

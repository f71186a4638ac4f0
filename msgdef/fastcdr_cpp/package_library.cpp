// The Fast-CDR C++ serializer library of one package: the generic serializer,
// defined for every message type and service of the package named by MSGDEF_PACKAGE.
#include "fastcdr_cpp.hpp"
#include MSGDEF_PACKAGE_HEADER
#include "fastcdr_cpp_declarations.hpp"  // exported names of this package and of its dependencies

#define MSGDEF_BIND_MESSAGE FASTCDR_CPP_BIND_MESSAGE
MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(FASTCDR_CPP_DEFINE)
MSGDEF_CAT(MSGDEF_PACKAGE, __SERVICES)(FASTCDR_CPP_DEFINE_SERVICE)

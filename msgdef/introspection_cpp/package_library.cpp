// The C++ introspection library of one package: the generic tables over the
// C++ structures, with the exported handle functions of every type of the
// package named by MSGDEF_PACKAGE.
#include "introspection_cpp.hpp"
#include MSGDEF_PACKAGE_CPP_HEADER
#include MSGDEF_PACKAGE_HEADER

MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(INTROSPECTION_CPP_DECLARE_NESTED)

#define MSGDEF_BIND_MESSAGE INTROSPECTION_CPP_BIND_MESSAGE
MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(INTROSPECTION_CPP_DEFINE)
MSGDEF_CAT(MSGDEF_PACKAGE, __SERVICES)(INTROSPECTION_CPP_DEFINE_SERVICE)

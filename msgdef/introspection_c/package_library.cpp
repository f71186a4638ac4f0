// The C introspection library of one package: the generic tables, with an
// exported handle function for every type of the package named by MSGDEF_PACKAGE.
#include "introspection_c.hpp"
#include MSGDEF_PACKAGE_HEADER

MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(INTROSPECTION_C_DECLARE_NESTED)

#define MSGDEF_BIND_MESSAGE INTROSPECTION_C_BIND_MESSAGE
MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(INTROSPECTION_C_DEFINE)
MSGDEF_CAT(MSGDEF_PACKAGE, __SERVICES)(INTROSPECTION_C_DEFINE_SERVICE)

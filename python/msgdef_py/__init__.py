"""Python support of the interface packages: the generic message base
(msgdef_py.message) and CDR serialization (msgdef_py.serialization)."""

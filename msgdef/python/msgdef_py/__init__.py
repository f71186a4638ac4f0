"""Python support of the interface packages.

Layout of a site-packages folder (build tree: <build>/site-packages; installed:
<prefix>/lib/python3.X/site-packages; PYTHONPATH pointing there is all a user sets):

  <package>/<folder>/__init__.py      message and service classes (msg: Control, ...;
                                      srv: AddThreeInts, AddThreeInts_Request, ...)
  <package>/<package>_s__<flavour>.*  extension module with the capsules of every type
  msgdef_py.message                   generic base classes and metaclass
  msgdef_py.serialization             serialize_message(msg), deserialize_message(data, cls)

Example:
  from velmari_messages.msg import Control
  from msgdef_py.serialization import serialize_message, deserialize_message
  data = serialize_message(Control(mode=1))
  assert deserialize_message(data, Control) == Control(mode=1)
"""

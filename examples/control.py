# examples/control.py: the message of the C++ example, from Python
import sys

from velmari_messages.msg import Control
from msgdef_py.serialization import serialize_message, deserialize_message

msg = Control(valid=True, throttle=0.4)
msg.header.frame_id = 'base_link'
data = serialize_message(msg)            # CDR little-endian, with its 4-byte header
assert deserialize_message(data, Control) == msg
with open(sys.argv[1] if len(sys.argv) > 1 else 'control.cdr', 'rb') as written_in_cpp:
    assert written_in_cpp.read() == data
print(f'{len(data)} bytes, as the C++ example wrote them')

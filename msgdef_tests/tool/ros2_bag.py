"""ROS 2 sqlite3 bags written and read with Python's sqlite3 and yaml modules
alone, following the format notes (shared/rosbag2-format.md): the independent
side of the velmsg bag tests and of bench/velmsg_bag_record.py."""
import os
import pathlib
import sqlite3

import yaml

INFINITE = {"sec": 9223372036, "nsec": 854775807}
GALACTIC_TABLES = {"topics", "messages"}


def qos_profile(reliability=1, durability=2, **more):
    """One publisher's offered QoS as Galactic stores it (policies as rmw numbers)."""
    return {"history": 3, "depth": 0, "reliability": reliability, "durability": durability,
            "deadline": INFINITE, "lifespan": INFINITE, "liveliness": 1, "liveliness_lease_duration": INFINITE,
            "avoid_ros_namespace_conventions": False, **more}


NAMES = {"history": ["system_default", "keep_last", "keep_all", "unknown"],
         "reliability": ["system_default", "reliable", "best_effort", "unknown"],
         "durability": ["system_default", "transient_local", "volatile", "unknown"],
         "liveliness": ["system_default", "automatic", "manual_by_node", "manual_by_topic"]}


def named(profile):
    """A profile as Jazzy writes it: policies by name."""
    return {key: NAMES[key][value] if key in NAMES else value for key, value in profile.items()}


class Topic:
    def __init__(self, name, type_name, profiles=None, serialization_format="cdr"):
        self.name, self.type, self.format = name, type_name, serialization_format
        self.profiles = [qos_profile()] if profiles is None else profiles


def write_bag(folder, topics, messages, layout="galactic", files=1):
    """A bag of (topic index, timestamp ns, bytes) messages, laid out as a release writes it:
    galactic (metadata version 4), humble (5, schema and metadata tables) or jazzy (9, QoS by
    name and as a list, type hashes, message definitions; keys in another order)."""
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True)
    version = {"galactic": 4, "humble": 5, "jazzy": 9}[layout]
    names = []
    chunks = [messages[i * len(messages) // files:(i + 1) * len(messages) // files] for i in range(files)]
    for index, chunk in enumerate(chunks):
        names.append(f"{folder.name}_{index}.db3")
        db = sqlite3.connect(folder / names[-1])
        jazzy = layout == "jazzy"
        db.execute("CREATE TABLE topics(id INTEGER PRIMARY KEY, name TEXT NOT NULL, type TEXT NOT NULL, "
                   "serialization_format TEXT NOT NULL, offered_qos_profiles TEXT NOT NULL"
                   + (", type_description_hash TEXT NOT NULL)" if jazzy else ")"))
        db.execute("CREATE TABLE messages(id INTEGER PRIMARY KEY, topic_id INTEGER NOT NULL, "
                   "timestamp INTEGER NOT NULL, data BLOB NOT NULL)")
        db.execute("CREATE INDEX timestamp_idx ON messages (timestamp ASC)")
        if layout != "galactic":
            db.execute("CREATE TABLE schema(schema_version INTEGER PRIMARY KEY, ros_distro TEXT NOT NULL)")
            db.execute("INSERT INTO schema VALUES (?, ?)", (4 if jazzy else 3, layout))
            db.execute("CREATE TABLE metadata(id INTEGER PRIMARY KEY, metadata_version INTEGER NOT NULL, "
                       "metadata TEXT NOT NULL)")
        if jazzy:
            db.execute("CREATE TABLE message_definitions(id INTEGER PRIMARY KEY, topic_type TEXT NOT NULL, "
                       "encoding TEXT NOT NULL, encoded_message_definition TEXT NOT NULL, "
                       "type_description_hash TEXT NOT NULL)")
        # ids that differ from the topic's position, as a reader must not assume them
        for position, topic in reversed(list(enumerate(topics))):
            profiles = [named(p) for p in topic.profiles] if jazzy else topic.profiles
            row = (10 + position, topic.name, topic.type, topic.format, yaml.safe_dump(profiles, sort_keys=False)
                   if profiles else "")
            db.execute(f"INSERT INTO topics VALUES (?, ?, ?, ?, ?{', ?' if jazzy else ''})",
                       row + (("RIHS01_00",) if jazzy else ()))
        db.executemany("INSERT INTO messages (timestamp, topic_id, data) VALUES (?, ?, ?)",
                       [(stamp, 10 + topic, data) for topic, stamp, data in chunk])
        db.commit()
        db.close()
    stamps = [stamp for _, stamp, _ in messages]
    info = {"version": version, "storage_identifier": "sqlite3", "relative_file_paths": names,
            "duration": {"nanoseconds": max(stamps) - min(stamps) if stamps else 0},
            "starting_time": {"nanoseconds_since_epoch": min(stamps) if stamps else 2 ** 63 - 1},
            "message_count": len(messages), "topics_with_message_count": [
                {"topic_metadata": {"name": t.name, "type": t.type, "serialization_format": t.format,
                                    "offered_qos_profiles": [named(p) for p in t.profiles] if version >= 9 else
                                    (yaml.safe_dump(t.profiles, sort_keys=False) if t.profiles else "")},
                 "message_count": sum(1 for m in messages if m[0] == i)} for i, t in enumerate(topics)],
            "compression_format": "", "compression_mode": ""}
    if version >= 5:
        info["files"] = [{"path": n, "message_count": len(c)} for n, c in zip(names, chunks)]
    if version >= 8:
        info["ros_distro"] = layout
        # later writers put the file list last
        info["relative_file_paths"] = info.pop("relative_file_paths")
    (folder / "metadata.yaml").write_text(yaml.safe_dump({"rosbag2_bagfile_information": info}, sort_keys=False))


def read_bag(folder, metadata=True, finished=True):
    """(metadata, topics by name, [(topic, timestamp, bytes)] in timestamp order), checked against the
    format notes: Galactic's tables only, counts that agree, no journal left beside a finished file.
    Without metadata, the .db3 files alone, as a recording that was killed leaves them."""
    folder = pathlib.Path(folder)
    info = None
    if metadata:
        info = yaml.safe_load((folder / "metadata.yaml").read_text())["rosbag2_bagfile_information"]
        assert info["version"] == 4 and info["storage_identifier"] == "sqlite3"
        assert list(info) == ["version", "storage_identifier", "relative_file_paths", "duration", "starting_time",
                              "message_count", "topics_with_message_count", "compression_format",
                              "compression_mode"]
        files = info["relative_file_paths"]
        assert not finished or not [n for n in os.listdir(folder) if n.endswith(("-wal", "-journal", "-shm"))]
    else:
        files = sorted((p.name for p in folder.glob("*.db3")), key=lambda n: int(n[:-4].rsplit("_", 1)[1]))
    topics, messages = {}, []
    for name in files:
        assert name.startswith(folder.name + "_") and name.endswith(".db3")
        # an unfinished file's log is taken in by a connection that may write
        db = sqlite3.connect(f"file:{folder / name}?mode=ro" if finished else folder / name, uri=finished)
        tables = {row[0] for row in db.execute("SELECT name FROM sqlite_master WHERE type = 'table'")}
        assert tables == GALACTIC_TABLES, tables
        earlier, ids = set(topics), {}
        for topic_id, topic, type_name, fmt, qos in db.execute(
                "SELECT id, name, type, serialization_format, offered_qos_profiles FROM topics"):
            ids[topic_id] = topic
            topics[topic] = {"type": type_name, "serialization_format": fmt,
                             "offered_qos_profiles": yaml.safe_load(qos) if qos else []}
        assert earlier <= set(ids.values()), "a new file lists every topic known before"
        messages += [(ids[topic_id], stamp, bytes(data)) for topic_id, stamp, data in db.execute(
            "SELECT topic_id, timestamp, data FROM messages ORDER BY timestamp, id")]
        db.close()
    if info:
        counts = {t["topic_metadata"]["name"]: t["message_count"] for t in info["topics_with_message_count"]}
        assert counts == {name: sum(1 for m in messages if m[0] == name) for name in topics}
        assert info["message_count"] == len(messages)
        if messages:
            assert info["starting_time"]["nanoseconds_since_epoch"] == min(m[1] for m in messages)
            assert info["duration"]["nanoseconds"] == max(m[1] for m in messages) - min(m[1] for m in messages)
    return info, topics, messages

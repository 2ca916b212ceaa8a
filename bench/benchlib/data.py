# SPDX-License-Identifier: GPL-2.0-or-later
"""The data the measurements work on: a memory card's files, phone trees, environments."""

import os

WORDS = ("the of and to in is for on card photo music track album list note phone call "
         "message contact backup folder archive file image song video memo draft").split()


def make_tree(root, large_count, large_bytes, small_count, rng):
    """Files like a memory card's: a few large ones that do not compress (media) and many
    small text files that do."""
    os.makedirs(os.path.join(root, "media"))
    for i in range(large_count):
        with open(os.path.join(root, "media", "clip%02d.mp4" % i), "wb") as f:
            f.write(os.urandom(large_bytes))
    text = " ".join(rng.choice(WORDS) for _ in range(400_000)).encode()
    for i in range(small_count):
        folder = os.path.join(root, "notes", "set%02d" % (i % 40))
        os.makedirs(folder, exist_ok=True)
        size = rng.randint(1_000, 24_000)
        offset = rng.randrange(len(text) - size)
        with open(os.path.join(folder, "note%05d.txt" % i), "wb") as f:
            f.write(text[offset:offset + size])
    with open(os.path.join(root, "readme.txt"), "wb") as f:
        f.write(text[:5000])


def phone_tree(root):
    for path in ("mmc/mmca1", "var/run", "ezx_user/download/appwrite/setup"):
        os.makedirs(os.path.join(root, path), exist_ok=True)
    return root


def base_env(**extra):
    env = dict(os.environ)
    for key in [k for k in env if k.startswith("EZX_")] + ["LD_PRELOAD"]:
        env.pop(key, None)
    env["QT_QPA_PLATFORM"] = "offscreen"
    env.update({k: str(v) for k, v in extra.items()})
    return env

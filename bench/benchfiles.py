"""The benchmarks' source files: made once from a seed, kept while their size is right."""
import os
import random


def make(path, size, seed):
    """A file of size bytes that compress poorly, the same for the same seed."""
    if os.path.exists(path) and os.path.getsize(path) == size:
        return
    os.makedirs(os.path.dirname(path), exist_ok=True)
    rnd = random.Random(seed)
    block = rnd.randbytes(1 << 20)
    with open(path, 'wb') as f:
        left = size
        while left:
            n = min(left, len(block))
            f.write(block[:n])
            left -= n
            block = block[1:] + block[:1]

#!/usr/bin/env python3
"""Prepares what the VM tests boot from an unpacked Debian kernel package.

  vm_image.py vmlinux KERNEL_TREE OUT          the ELF kernel out of /boot/vmlinuz-*
  vm_image.py modules KERNEL_TREE OUT_DIR NAME...
        decompresses the named modules and every module they depend on into OUT_DIR
        and writes OUT_DIR/order: one name per line, each after its dependencies
        (.ko or .ko.xz; the package ships no modules.dep; each module's .modinfo names its depends=).
"""
import glob
import lzma
import os
import sys

XZ_MAGIC = b"\xfd7zXZ\x00"


def vmlinux(tree, out):
    image = glob.glob(os.path.join(tree, "boot", "vmlinuz-*"))
    if len(image) != 1:
        sys.exit(f"vm_image: expected one vmlinuz in {tree}/boot, found {image}")
    data = open(image[0], "rb").read()
    at = data.find(XZ_MAGIC)
    if at < 0:
        sys.exit("vm_image: no XZ stream in the kernel image")
    # The payload ends before the image's trailer: decompress the first stream only.
    payload = lzma.LZMADecompressor(format=lzma.FORMAT_XZ).decompress(data[at:])
    if payload[:4] != b"\x7fELF":
        sys.exit("vm_image: the payload is not an ELF kernel")
    with open(out, "wb") as f:
        f.write(payload)


def modules(tree, out_dir, names):
    found = {}
    for path in glob.glob(os.path.join(tree, "lib", "modules", "*", "kernel", "**", "*.ko*"), recursive=True):
        base = os.path.basename(path)
        if base.endswith(".ko") or base.endswith(".ko.xz"):
            found[base.split(".ko")[0].replace("-", "_")] = path
    os.makedirs(out_dir, exist_ok=True)
    order, loaded = [], set()

    def depends(blob):
        at = blob.find(b"\x00depends=")
        if at < 0:
            return []
        end = blob.index(b"\x00", at + 1)
        text = blob[at + 9:end].decode()
        return [d for d in text.split(",") if d]

    def add(name, chain):
        key = name.replace("-", "_")
        if key in loaded:
            return
        if key in chain:
            sys.exit(f"vm_image: circular dependency at {name}")
        if key not in found:
            sys.exit(f"vm_image: module {name} is not in the kernel package")
        blob = open(found[key], "rb").read()
        if found[key].endswith(".xz"):
            blob = lzma.decompress(blob)
        for dep in depends(blob):
            add(dep, chain | {key})
        file_name = os.path.basename(found[key]).split(".ko")[0] + ".ko"
        with open(os.path.join(out_dir, file_name), "wb") as f:
            f.write(blob)
        loaded.add(key)
        order.append(file_name)

    for name in names:
        add(name, set())
    with open(os.path.join(out_dir, "order"), "w") as f:
        f.write("\n".join(order) + "\n")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "vmlinux":
        vmlinux(sys.argv[2], sys.argv[3])
    elif len(sys.argv) >= 5 and sys.argv[1] == "modules":
        modules(sys.argv[2], sys.argv[3], sys.argv[4:])
    else:
        sys.exit(__doc__)

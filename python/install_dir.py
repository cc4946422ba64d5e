"""Prints where this python3 looks for pure packages, relative to an install
prefix: lib/python3.X/dist-packages on Debian (whose python3 reads
<prefix>/lib/python3.X/dist-packages for prefix /usr/local), else site-packages."""
import sysconfig

path = sysconfig.get_path("purelib", "posix_prefix", vars={"base": "/", "platbase": "/"})
if sysconfig.get_default_scheme() == "posix_local":
    path = path.replace("site-packages", "dist-packages")
print(path.lstrip("/"))

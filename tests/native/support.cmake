# (filled in by its area)

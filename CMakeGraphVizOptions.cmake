# `cmake --graphviz=layers.dot .` draws the layers and their dependencies:
# the warning settings and the outside libraries are left out.
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "travik_strict_warnings")
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)

(root (grouped-pattern (@ (title "x
y"))) (grouped-pattern (@ (title "x
x")))
 (scene (pattern (@ (title "
b") (memo "ab"))) (pattern (@ (title "
a")))))

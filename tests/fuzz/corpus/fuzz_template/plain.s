[global]
multiline=true
template=INSERT INTO t VALUES ('#1#', #2#);
metacounts=2
[column0]
content=a\nb
snippet=#1#
[column1]
content=1\n2
snippet=#2#

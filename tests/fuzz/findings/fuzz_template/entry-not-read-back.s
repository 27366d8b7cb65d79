[g‹l]
multERTTN ItO  VALUES[g‹l]
multiline=true
templete=INSERT INTO t VALUES ('#1#', @2e
template=INSERT INTO to1